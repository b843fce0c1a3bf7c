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

void ReportWritten(const ConversionSettings& settings, std::ostream& out) {
  out << "Film geschrieben: " << settings.targetPath << '\n';
  if (settings.createHtmlPage) out << "Webseite geschrieben: " << PagePath(settings.targetPath) << '\n';
  out.flush();
}

ConversionOutcome ConvertOne(const PlannedMovie& movie, ConversionSettings settings, ConsoleWindow& window,
                             const ConversionRunner& runner, std::ostream& out, std::ostream& err) {
  settings.sourcePath = movie.source;
  settings.targetPath = movie.target;
  out << "Konvertiere " << movie.source << " nach " << movie.target << std::endl;
  window.BeginRun();
  ConversionOutcome outcome = ConversionOutcome::NotWritten;
  try {
    outcome = runner(settings, window);
  } catch (const std::exception& error) {
    window.EndRun();
    err << error.what() << std::endl;
    return ConversionOutcome::NotWritten;
  }
  window.EndRun();
  if (outcome != ConversionOutcome::NotWritten) ReportWritten(settings, out);
  return outcome;
}

}  // namespace

int ConvertAll(const TargetPlan& plan, const ConversionSettings& shared, ConsoleWindow& window,
               const ConversionRunner& runner, std::ostream& out, std::ostream& err) {
  if (plan.folderToCreate && !CreateFolder(*plan.folderToCreate, err)) return kExitSomeFailed;
  bool anyFailed = false;
  bool anyIncomplete = false;
  for (const PlannedMovie& movie : plan.movies) {
    const ConversionOutcome outcome = ConvertOne(movie, shared, window, runner, out, err);
    anyFailed = anyFailed || outcome == ConversionOutcome::NotWritten;
    anyIncomplete = anyIncomplete || outcome == ConversionOutcome::Incomplete;
  }
  if (anyFailed) return kExitSomeFailed;
  return anyIncomplete ? kExitSomeIncomplete : kExitAllWritten;
}
