// Runs the planned conversions one after another and sums up their outcome.
#pragma once

#include <functional>
#include <ostream>

#include "cli/ConsoleWindow.h"
#include "cli/TargetPlan.h"
#include "convert/ConversionSettings.h"
#include "convert/RunConversion.h"

// One conversion and how it ended. May throw.
using ConversionRunner = std::function<ConversionOutcome(ConversionSettings&, ConversionWindow&)>;

inline constexpr int kExitAllWritten = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitBadCommandLine = 2;
inline constexpr int kExitSomeIncomplete = 3;

// Converts every movie of the plan with the shared settings. An exception
// escaping a run is printed to err and counts as a failure; the batch goes on.
int ConvertAll(const TargetPlan& plan, const ConversionSettings& shared, ConsoleWindow& window,
               const ConversionRunner& runner, std::ostream& out, std::ostream& err);
