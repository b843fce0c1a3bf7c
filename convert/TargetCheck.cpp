#include "convert/TargetCheck.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "convert/DeadRunLeftovers.h"
#include "convert/HandOffMovie.h"
#include "convert/SystemReason.h"

namespace {

// The shortest name the temporary file beside a target gets.
constexpr std::size_t kTempSuffixLength = std::char_traits<char>::length(".tmp0");

int FolderError(const std::string& folder) {
  struct stat status {};
  if (stat(folder.c_str(), &status) != 0) return errno;
  if (!S_ISDIR(status.st_mode)) return ENOTDIR;
  return access(folder.c_str(), W_OK | X_OK) == 0 ? 0 : errno;
}

int NameLengthError(const std::string& path, const std::string& folder, const std::string& name) {
  if (path.size() + kTempSuffixLength >= PATH_MAX) return ENAMETOOLONG;
  const long longestName = pathconf(folder.c_str(), _PC_NAME_MAX);
  const bool tooLong = longestName > 0 && name.size() + kTempSuffixLength > static_cast<std::size_t>(longestName);
  return tooLong ? ENAMETOOLONG : 0;
}

// An existing file must be one the user lets us change; a link there is
// judged by where it leads, as before the write replaced links.
int ExistingFileError(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return 0;
  if (S_ISDIR(status.st_mode)) return EISDIR;
  return access(path.c_str(), W_OK) == 0 ? 0 : errno;
}

int TargetError(const std::string& path) {
  const std::filesystem::path target(path);
  const std::string name = target.filename().string();
  if (name.empty() || name == "." || name == "..") return EISDIR;
  const std::string folder = target.has_parent_path() ? target.parent_path().string() : ".";
  if (const int error = FolderError(folder); error != 0) return error;
  if (const int error = NameLengthError(path, folder, name); error != 0) return error;
  return ExistingFileError(path);
}

}  // namespace

std::string TargetProblem(const std::string& path) {
  const int error = TargetError(path);
  return error == 0 ? std::string() : WithSystemReason("Datei " + path + " kann nicht erstellt werden", error);
}

std::string TargetsProblem(const ConversionSettings& settings) {
  std::string problem = TargetProblem(settings.targetPath);
  if (problem.empty() && settings.createHtmlPage) problem = TargetProblem(PagePath(settings.targetPath));
  return problem;
}

void RemoveDeadTemporariesOfTargets(const ConversionSettings& settings) {
  RemoveDeadTemporariesBeside(settings.targetPath);
  if (settings.createHtmlPage) RemoveDeadTemporariesBeside(PagePath(settings.targetPath));
}
