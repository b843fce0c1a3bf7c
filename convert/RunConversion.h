#pragma once

#include "convert/ConversionSettings.h"
#include "convert/ConversionWindow.h"
#include "media/pictavo/PictavoApi.h"

struct DecoderFunctions;

// Runs one conversion from source to movie and hand-off, reporting through
// window. Returns whether the movie file was written. A page that cannot be
// written throws std::runtime_error after the movie is written.
bool RunConversion(ConversionSettings& settings, ConversionWindow& window, const PictavoApi& imaging);

// The same over the given decoding functions.
bool RunConversion(ConversionSettings& settings, ConversionWindow& window, const PictavoApi& imaging,
                   const DecoderFunctions& decoder);
