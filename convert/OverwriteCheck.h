// Files a run must never write over: its own source, and its movie by the page.
#pragma once

#include <string>

#include "convert/ConversionSettings.h"

// A German line when the movie would replace the source, or the page (when
// one is to be written) the source or the movie; empty when neither would.
// Links are followed the way the writes would follow them.
std::string OverwriteProblem(const ConversionSettings& settings);
