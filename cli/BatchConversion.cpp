#include "cli/BatchConversion.h"

#include <cerrno>
#include <exception>
#include <filesystem>
#include <new>
#include <system_error>

#include "convert/HandOffMovie.h"
#include "convert/SystemReason.h"
#include "convert/TargetCheck.h"

namespace {

bool CreateFolder(const std::string& folder, std::ostream& err) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    err << WithSystemReason("Ordner " + folder + " kann nicht angelegt werden", error.value()) << std::endl;
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

ConversionOutcome ConvertOne(const PlannedMovie& movie, ConversionSettings settings, ConsoleWindow& window,
                             const ConversionRunner& runner, std::ostream& err) {
  settings.sourcePath = movie.source;
  settings.targetPath = movie.target;
  // Before any work is spent, and before the line that announces it.
  if (const std::string problem = TargetsProblem(settings); !problem.empty()) {
    err << problem << std::endl;
    return ConversionOutcome::NotWritten;
  }
  window.ShowInfoLine("Konvertiere " + movie.source + " nach " + movie.target);
  window.BeginRun(MovieName(movie.target));
  ConversionOutcome outcome = ConversionOutcome::NotWritten;
  try {
    outcome = runner(settings, window);
  } catch (const std::exception&) {
    window.EndRun();
    err << LineForEndedRun(movie.source) << std::endl;
    return ConversionOutcome::NotWritten;
  }
  window.EndRun();
  if (outcome != ConversionOutcome::NotWritten) ReportWritten(settings, window);
  return outcome;
}

}  // namespace

std::string BatchSummary(int written, int incomplete, int failed) {
  std::string line = std::to_string(written) + (written == 1 ? " Film" : " Filme") + " geschrieben";
  if (incomplete > 0) line += " (" + std::to_string(incomplete) + " unvollständig)";
  if (failed > 0) line += ", " + std::to_string(failed) + " fehlgeschlagen";
  return line + ".";
}

int ConvertAll(const TargetPlan& plan, const ConversionSettings& shared, ConsoleWindow& window,
               const ConversionRunner& runner, std::ostream& err) {
  if (plan.folderToCreate && !CreateFolder(*plan.folderToCreate, err)) return kExitSomeFailed;
  int written = 0;
  int incomplete = 0;
  int failed = 0;
  for (const PlannedMovie& movie : plan.movies) {
    const ConversionOutcome outcome = ConvertOne(movie, shared, window, runner, err);
    written += outcome != ConversionOutcome::NotWritten ? 1 : 0;
    incomplete += outcome == ConversionOutcome::Incomplete ? 1 : 0;
    failed += outcome == ConversionOutcome::NotWritten ? 1 : 0;
  }
  if (plan.movies.size() > 1) window.ShowInfoLine(BatchSummary(written, incomplete, failed));
  if (failed > 0) return kExitSomeFailed;
  return incomplete > 0 ? kExitSomeIncomplete : kExitAllWritten;
}
