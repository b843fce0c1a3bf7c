#include "convert/TempFileName.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

// The name is reserved by creating a lock file beside it exclusively: two
// conversions side by side would otherwise write into the same picture file.
// The picture file itself is left to the imaging module to create, since
// rewriting an existing file makes some file systems flush it on close.
std::string MakeTempFileName(const std::string& prefix, const std::string& extension) {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  if (error || folder.empty()) return {};
  for (unsigned long n = 0;; ++n) {
    const std::filesystem::path candidate = folder / (prefix + std::to_string(n) + extension);
    const std::string lock = TempFileLock(candidate.string());
    if (std::FILE* reserved = std::fopen(lock.c_str(), "wbx")) {
      std::fclose(reserved);
      if (!std::filesystem::exists(candidate, error)) return candidate.string();
      std::filesystem::remove(lock, error);  // a leftover picture file keeps its number
    } else if (!std::filesystem::exists(lock, error)) {
      return {};  // the folder takes no files
    }
  }
}

std::string TempFileLock(const std::string& path) { return path + ".lock"; }

void ReleaseTempFileName(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  std::filesystem::remove(TempFileLock(path), ignored);
}
