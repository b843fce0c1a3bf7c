#include "convert/DeadRunLeftovers.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

constexpr const char* kRunFolderPrefix = "tessaline-";

bool AllDigits(const std::string& text) {
  return !text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == std::string::npos;
}

// The process id of a run folder's name "tessaline-<pid>-XXXXXX"; 0 for any other name.
pid_t RunFolderOwner(const std::string& name) {
  if (!name.starts_with(kRunFolderPrefix)) return 0;
  const std::string rest = name.substr(std::char_traits<char>::length(kRunFolderPrefix));
  const std::size_t dash = rest.find('-');
  if (dash == std::string::npos || rest.size() - dash - 1 != 6 || !AllDigits(rest.substr(0, dash))) return 0;
  return static_cast<pid_t>(std::stol(rest.substr(0, dash)));
}

// Each entry of folder; a folder that cannot be read, or stops being
// readable, simply ends the walk.
template <typename Visit>
void ForEachEntry(const fs::path& folder, Visit visit) {
  std::error_code error;
  for (fs::directory_iterator entry(folder, error); !error && entry != fs::directory_iterator();
       entry.increment(error)) {
    visit(entry->path());
  }
}

bool ProcessGone(pid_t pid) { return pid != getpid() && kill(pid, 0) != 0 && errno == ESRCH; }

// Opens path when it is still of the kind asked for and this user's, and
// locks it. Another process's lock, or anything else, gives -1.
int LockIfUnheld(const fs::path& path, bool folder) {
  struct stat before {};
  if (lstat(path.c_str(), &before) != 0 || before.st_uid != geteuid()) return -1;
  if (folder ? !S_ISDIR(before.st_mode) : !S_ISREG(before.st_mode)) return -1;
  const int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (folder ? O_DIRECTORY : 0);
  const int fd = open(path.c_str(), flags);
  if (fd < 0) return -1;
  struct stat opened {};
  const bool same = fstat(fd, &opened) == 0 && opened.st_dev == before.st_dev && opened.st_ino == before.st_ino;
  if (same && flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
  close(fd);
  return -1;
}

}  // namespace

OwnerLock::OwnerLock(const std::string& path) {
  fd_ = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd_ >= 0 && flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    close(fd_);
    fd_ = -1;
  }
}

OwnerLock::~OwnerLock() {
  if (fd_ >= 0) close(fd_);
}

OwnerLock::OwnerLock(OwnerLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

OwnerLock& OwnerLock::operator=(OwnerLock&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

std::string RunFolderPattern(const std::string& parent) {
  return (fs::path(parent) / (kRunFolderPrefix + std::to_string(getpid()) + "-XXXXXX")).string();
}

void RemoveDeadRunFolders(const std::string& parent) {
  ForEachEntry(parent, [](const fs::path& entry) {
    const pid_t owner = RunFolderOwner(entry.filename().string());
    if (owner <= 0 || !ProcessGone(owner)) return;
    const int fd = LockIfUnheld(entry, true);
    if (fd < 0) return;
    std::error_code ignored;
    fs::remove_all(entry, ignored);
    close(fd);
  });
}

void RemoveDeadTemporariesBeside(const std::string& target) {
  const fs::path path(target);
  const std::string prefix = path.filename().string() + ".tmp";
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  ForEachEntry(folder, [&prefix](const fs::path& entry) {
    const std::string name = entry.filename().string();
    if (!name.starts_with(prefix) || !AllDigits(name.substr(prefix.size()))) return;
    const int fd = LockIfUnheld(entry, false);
    if (fd < 0) return;
    unlink(entry.c_str());
    close(fd);
  });
}
