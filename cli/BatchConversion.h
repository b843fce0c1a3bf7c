// Runs the planned conversions one after another and sums up their outcome.
#pragma once

#include <functional>
#include <string>

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

struct BatchChoices {
  bool overwrite = true;  // -n: a source whose movie or page exists is skipped
  bool json = false;      // one JSON line per source on the output stream
};

// Converts every movie of the plan with the shared settings. A target that
// cannot be created, one that exists under -n and an exception escaping a run
// are shown as problem lines and count as failures; the batch goes on.
// Several movies end with BatchSummary.
int ConvertAll(const TargetPlan& plan, const ConversionSettings& shared, ConsoleWindow& window,
               const ConversionRunner& runner, BatchChoices choices = {});

// "3 Filme geschrieben (1 unvollständig), 1 fehlgeschlagen, 1 übersprungen."; "1 Film geschrieben."
std::string BatchSummary(int written, int incomplete, int failed, int skipped = 0);
