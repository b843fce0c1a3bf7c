#include "convert/TempFolder.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

#include "convert/SystemReason.h"

namespace {

// -1 when the name is taken or the folder takes no file.
int CreateExclusive(const std::string& path) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

int ErrnoOr(int fallback) { return errno != 0 ? errno : fallback; }

// A folder that is full or limited to small files lets a file be made but
// not filled; a picture's JPEG is about this size. 0, or the errno of the
// step that failed.
int TakesBytesError(const TempFolder& folder) {
  errno = 0;
  TempFile probe = folder.NewFile("probe", ".tmp");
  if (!probe.Made()) return ErrnoOr(EIO);
  const int fd = open(probe.Path().c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return ErrnoOr(EIO);
  static const std::array<char, 16384> kBytes{};
  const ssize_t written = write(fd, kBytes.data(), kBytes.size());
  int error = written == static_cast<ssize_t>(kBytes.size()) ? 0 : written < 0 ? ErrnoOr(EIO) : ENOSPC;
  if (close(fd) != 0 && error == 0) error = ErrnoOr(EIO);
  return error;
}

}  // namespace

TempFile::TempFile(std::string path, RemoveOnSignal registration)
    : path_(std::move(path)), registration_(std::move(registration)) {}

TempFile::~TempFile() { Remove(); }

TempFile::TempFile(TempFile&& other) noexcept
    : path_(std::exchange(other.path_, {})), registration_(std::move(other.registration_)) {}

TempFile& TempFile::operator=(TempFile&& other) noexcept {
  if (this != &other) {
    Remove();
    path_ = std::exchange(other.path_, {});
    registration_ = std::move(other.registration_);
  }
  return *this;
}

void TempFile::Remove() {
  if (!path_.empty()) unlink(path_.c_str());
  path_.clear();
}

std::string SystemTempFolder() {
  for (const char* name : {"TMPDIR", "TMP", "TEMP", "TEMPDIR"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return "/tmp";
}

TempFolder::TempFolder() {
  const std::string parent = SystemTempFolder();
  RemoveDeadRunFolders(parent);
  std::string pattern = RunFolderPattern(parent);
  bool made = false;
  int error = 0;
  {
    const EndingSignalsHeld held;
    made = mkdtemp(pattern.data()) != nullptr;
    error = made ? 0 : ErrnoOr(EIO);
    if (made) registration_ = RemoveOnSignal(pattern, RemoveOnSignal::Kind::Folder);
  }
  if (made) {
    path_ = pattern;
    lock_ = OwnerLock(path_);
    error = TakesBytesError(*this);
    if (error == 0) return;
    lock_ = OwnerLock();
    rmdir(path_.c_str());
    path_.clear();
    registration_ = RemoveOnSignal();
  }
  problem_ = WithSystemReason("Der temporäre Ordner " + parent + " kann nicht benutzt werden", error) + ".";
}

TempFolder::~TempFolder() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

TempFile TempFolder::NewFile(const std::string& prefix, const std::string& extension) const {
  if (path_.empty()) return {};
  constexpr unsigned kNumbers = 10000;  // only this run makes files here
  for (unsigned n = 0; n < kNumbers; ++n) {
    std::string path = path_ + "/" + prefix + std::to_string(n) + extension;
    // Registered first: a signal between the two finds nothing to remove.
    RemoveOnSignal registration(path, RemoveOnSignal::Kind::File);
    const int fd = CreateExclusive(path);
    if (fd >= 0) {
      close(fd);
      return TempFile(std::move(path), std::move(registration));
    }
    if (errno != EEXIST) return {};
  }
  return {};
}
