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

bool ConvertOne(const PlannedMovie& movie, ConversionSettings settings, ConsoleWindow& window,
                const ConversionRunner& runner, std::ostream& out, std::ostream& err) {
  settings.sourcePath = movie.source;
  settings.targetPath = movie.target;
  out << "Konvertiere " << movie.source << " nach " << movie.target << std::endl;
  window.BeginRun();
  bool written = false;
  try {
    written = runner(settings, window);
  } catch (const std::exception& error) {
    window.EndRun();
    err << error.what() << std::endl;
    return false;
  }
  window.EndRun();
  if (written) ReportWritten(settings, out);
  return written;
}

}  // namespace

int ConvertAll(const TargetPlan& plan, const ConversionSettings& shared, ConsoleWindow& window,
               const ConversionRunner& runner, std::ostream& out, std::ostream& err) {
  if (plan.folderToCreate && !CreateFolder(*plan.folderToCreate, err)) return kExitSomeFailed;
  bool allWritten = true;
  for (const PlannedMovie& movie : plan.movies) {
    allWritten = ConvertOne(movie, shared, window, runner, out, err) && allWritten;
  }
  return allWritten ? kExitAllWritten : kExitSomeFailed;
}
