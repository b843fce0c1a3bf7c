#pragma once

#include "convert/ConversionSettings.h"
#include "convert/ConversionWindow.h"
#include "media/pictavo/PictavoApi.h"

struct DecoderFunctions;

// How a run ended. Incomplete: the movie was written, but pictures or sound
// were lost, the source was damaged or a format limit was reached; the reason
// was shown as a status line. Refused: the settings cannot work for this
// source (a movie larger than the format allows); nothing was written.
enum class ConversionOutcome { NotWritten, Complete, Incomplete, Refused };

// Runs one conversion from source to movie and hand-off over the given
// decoding functions, reporting through window. A page that cannot be
// written throws std::runtime_error after the movie is written.
ConversionOutcome RunConversion(ConversionSettings& settings, ConversionWindow& window, const PictavoApi& imaging,
                                const DecoderFunctions& decoder);
