// The conversion's decoder table filled with the linked decoding library and
// the media side's sound encoders; the programs hand it to RunConversion.
#pragma once

#include "media/DecoderFunctions.h"

const DecoderFunctions& RealDecoder();
