#include "cli/BatchConversion.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "convert/HandOffMovie.h"

namespace {

bool CreateFolder(const std::string& folder, std::ostream& err) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    err << "Ordner " << folder << " kann nicht angelegt werden: " << error.message() << std::endl;
    return false;
  }
  return true;
}

void ReportWritten(const ConversionSettings& settings, ConsoleWindow& window) {
  window.ShowInfoLine("Film geschrieben: " + settings.targetPath);
  if (settings.createHtmlPage) window.ShowInfoLine("Webseite geschrieben: " + PagePath(settings.targetPath));
}

ConversionOutcome ConvertOne(const PlannedMovie& movie, ConversionSettings settings, ConsoleWindow& window,
                             const ConversionRunner& runner, std::ostream& err) {
  // The same line the run would give at its end, before any work is spent.
  if (!FileCreatable(movie.target)) {
    err << "Datei " << movie.target << " kann nicht erstellt werden" << std::endl;
    return ConversionOutcome::NotWritten;
  }
  settings.sourcePath = movie.source;
  settings.targetPath = movie.target;
  window.ShowInfoLine("Konvertiere " + movie.source + " nach " + movie.target);
  window.BeginRun(MovieName(movie.target));
  ConversionOutcome outcome = ConversionOutcome::NotWritten;
  try {
    outcome = runner(settings, window);
  } catch (const std::exception& error) {
    window.EndRun();
    err << error.what() << std::endl;
    return ConversionOutcome::NotWritten;
  }
  window.EndRun();
  if (outcome == ConversionOutcome::Complete || outcome == ConversionOutcome::Incomplete) {
    ReportWritten(settings, window);
  }
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
  int refused = 0;
  for (const PlannedMovie& movie : plan.movies) {
    const ConversionOutcome outcome = ConvertOne(movie, shared, window, runner, err);
    written += outcome == ConversionOutcome::Complete || outcome == ConversionOutcome::Incomplete ? 1 : 0;
    incomplete += outcome == ConversionOutcome::Incomplete ? 1 : 0;
    failed += outcome == ConversionOutcome::NotWritten || outcome == ConversionOutcome::Refused ? 1 : 0;
    refused += outcome == ConversionOutcome::Refused ? 1 : 0;
  }
  if (plan.movies.size() > 1) window.ShowInfoLine(BatchSummary(written, incomplete, failed));
  if (refused > 0) return kExitBadCommandLine;
  if (failed > 0) return kExitSomeFailed;
  return incomplete > 0 ? kExitSomeIncomplete : kExitAllWritten;
}
