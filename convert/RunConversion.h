#pragma once

#include "convert/ConversionSettings.h"
#include "convert/ConversionWindow.h"
#include "media/pictavo/PictavoApi.h"

// Runs one conversion from source to movie and hand-off, reporting through
// window. Returns whether the movie file was written.
bool RunConversion(ConversionSettings& settings, ConversionWindow& window, const PictavoApi& imaging);
