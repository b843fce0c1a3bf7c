#include "cli/BatchConversion.h"

#include <cerrno>
#include <exception>
#include <filesystem>
#include <new>
#include <system_error>

#include "cli/ResultJson.h"
#include "convert/HandOffMovie.h"
#include "convert/SystemReason.h"
#include "convert/TargetCheck.h"

namespace {

bool CreateFolder(const std::string& folder, ConsoleWindow& window) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    window.ShowProblemLine(WithSystemReason("Ordner " + folder + " kann nicht angelegt werden", error.value()));
    return false;
  }
  return true;
}

void ReportWritten(const ConversionSettings& settings, ConsoleWindow& window) {
  window.ShowInfoLine("Film geschrieben: " + settings.targetPath);
  if (settings.createHtmlPage) window.ShowInfoLine("Webseite geschrieben: " + PagePath(settings.targetPath));
}

// For the exception being handled: the run's own German lines as they are;
// the system's failures (no memory, no thread under a memory limit) as a
// German line with the reason.
std::string LineForEndedRun(const std::string& source) {
  const std::string line = "Die Konvertierung von " + source + " ist fehlgeschlagen";
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return WithSystemReason(line, ENOMEM);
  } catch (const std::system_error& error) {
    const std::error_category& category = error.code().category();
    if (category == std::generic_category() || category == std::system_category()) {
      return WithSystemReason(line, error.code().value());
    }
    return line + " (" + error.what() + ")";
  } catch (const std::exception& error) {
    return error.what();
  }
}

// The movie or its page, whichever is already there.
std::optional<std::string> ExistingTarget(const SourceResult& result) {
  std::error_code error;
  if (std::filesystem::exists(std::filesystem::symlink_status(result.target, error))) return result.target;
  if (result.page && std::filesystem::exists(std::filesystem::symlink_status(*result.page, error))) return result.page;
  return std::nullopt;
}

// Refuses before any work: a target that must not or cannot be written.
bool RefusedBeforeWork(SourceResult& result, const ConversionSettings& settings, ConsoleWindow& window,
                       const BatchChoices& choices) {
  if (std::optional<std::string> existing = ExistingTarget(result); existing && !choices.overwrite) {
    result.state = ResultState::Skipped;
    result.reason = "Datei " + *existing + " gibt es schon; " + result.source + " übersprungen (-n)";
  } else if (std::string problem = TargetsProblem(settings); !problem.empty()) {
    // Before any work is spent, and before the line that announces it.
    result.reason = std::move(problem);
  } else {
    return false;
  }
  window.ShowProblemLine(result.reason);
  return true;
}

ResultState StateOf(ConversionOutcome outcome) {
  switch (outcome) {
    case ConversionOutcome::Complete:
      return ResultState::Complete;
    case ConversionOutcome::Incomplete:
      return ResultState::Incomplete;
    case ConversionOutcome::NotWritten:
    case ConversionOutcome::Refused:
      break;
  }
  return ResultState::Failed;
}

SourceResult ConvertOne(const PlannedMovie& movie, ConversionSettings settings, ConsoleWindow& window,
                        const ConversionRunner& runner, const BatchChoices& choices) {
  SourceResult result;
  result.source = movie.source;
  result.target = movie.target;
  if (settings.createHtmlPage) result.page = PagePath(movie.target);
  settings.sourcePath = movie.source;
  settings.targetPath = movie.target;
  if (RefusedBeforeWork(result, settings, window, choices)) return result;
  window.BeginRun(MovieName(movie.target), "Konvertiere " + movie.source + " nach " + movie.target, movie.source);
  ConversionOutcome outcome = ConversionOutcome::NotWritten;
  try {
    outcome = runner(settings, window);
  } catch (const std::exception&) {
    window.ShowProblemLine(LineForEndedRun(movie.source));
    outcome = ConversionOutcome::NotWritten;
  }
  std::error_code error;
  const auto bytes = std::filesystem::file_size(movie.target, error);
  if (outcome != ConversionOutcome::NotWritten && !error) window.ShowMovieSoFar(window.Progress().movieSeconds, bytes);
  result.state = StateOf(outcome);
  result.frames = window.Progress().frame;
  result.total = window.Progress().total;
  result.reason = window.Reason();
  window.EndRun();
  if (outcome == ConversionOutcome::Complete || outcome == ConversionOutcome::Incomplete) {
    ReportWritten(settings, window);
  }
  if (outcome == ConversionOutcome::Refused) result.refused = true;
  return result;
}

}  // namespace

std::string BatchSummary(int written, int incomplete, int failed, int skipped) {
  std::string line = std::to_string(written) + (written == 1 ? " Film" : " Filme") + " geschrieben";
  if (incomplete > 0) line += " (" + std::to_string(incomplete) + " unvollständig)";
  if (failed > 0) line += ", " + std::to_string(failed) + " fehlgeschlagen";
  if (skipped > 0) line += ", " + std::to_string(skipped) + " übersprungen";
  return line + ".";
}

int ConvertAll(const TargetPlan& plan, const ConversionSettings& shared, ConsoleWindow& window,
               const ConversionRunner& runner, BatchChoices choices) {
  if (plan.folderToCreate && !CreateFolder(*plan.folderToCreate, window)) return kExitSomeFailed;
  int counts[4] = {};  // by ResultState
  int refused = 0;
  for (const PlannedMovie& movie : plan.movies) {
    const SourceResult result = ConvertOne(movie, shared, window, runner, choices);
    ++counts[static_cast<int>(result.state)];
    refused += result.refused ? 1 : 0;
    if (choices.json) window.ShowResultLine(ResultJson(result));
  }
  const int complete = counts[static_cast<int>(ResultState::Complete)];
  const int incomplete = counts[static_cast<int>(ResultState::Incomplete)];
  const int failed = counts[static_cast<int>(ResultState::Failed)];
  const int skipped = counts[static_cast<int>(ResultState::Skipped)];
  if (plan.movies.size() > 1) window.ShowInfoLine(BatchSummary(complete + incomplete, incomplete, failed, skipped));
  // Settings that no movie can take (a stage too large) are wrong options.
  if (refused > 0) return kExitBadCommandLine;
  if (failed + skipped > 0) return kExitSomeFailed;
  return incomplete > 0 ? kExitSomeIncomplete : kExitAllWritten;
}
