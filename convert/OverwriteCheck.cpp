#include "convert/OverwriteCheck.h"

#include <filesystem>
#include <system_error>

#include "convert/HandOffMovie.h"

namespace fs = std::filesystem;

namespace {

// Both exist and are one file, whatever links lead to it.
bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return fs::equivalent(a, b, error) && !error;
}

// Where a write to path lands: links followed, also one that leads to a file
// not yet there.
fs::path Resolved(const fs::path& path) {
  std::error_code error;
  fs::path resolved = fs::absolute(path, error).lexically_normal();
  for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(resolved, error)); ++hops) {
    const fs::path next = fs::read_symlink(resolved, error);
    if (error) break;
    resolved = (next.is_absolute() ? next : resolved.parent_path() / next).lexically_normal();
  }
  const fs::path canonical = fs::weakly_canonical(resolved, error);
  return error ? resolved : canonical;
}

// The movie is renamed onto its path: the folders are followed, a link in
// its own name is replaced.
fs::path MovieLanding(const fs::path& target) {
  std::error_code error;
  const fs::path absolute = fs::absolute(target, error).lexically_normal();
  return Resolved(absolute.parent_path()) / absolute.filename();
}

bool PageLandsOnMovie(const fs::path& page, const fs::path& target) {
  std::error_code error;
  return fs::absolute(page, error).lexically_normal() == fs::absolute(target, error).lexically_normal() ||
         SameFile(page, target) || Resolved(page) == MovieLanding(target);
}

}  // namespace

std::string OverwriteProblem(const ConversionSettings& settings) {
  const std::string& source = settings.sourcePath;
  const std::string& target = settings.targetPath;
  if (SameFile(target, source)) return "Der Film " + target + " würde die Quelle " + source + " überschreiben.";
  if (!settings.createHtmlPage) return {};
  const std::string page = PagePath(target);
  if (SameFile(page, source)) return "Die Webseite " + page + " würde die Quelle " + source + " überschreiben.";
  if (PageLandsOnMovie(page, target)) return "Die Webseite " + page + " würde den Film " + target + " überschreiben.";
  return {};
}
