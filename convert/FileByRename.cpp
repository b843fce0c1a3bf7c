#include "convert/FileByRename.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "convert/RemoveOnSignal.h"

namespace {

constexpr int kTempNames = 1000;

// A file made under path.tmp<n> and registered for removal; fd is -1 and
// error set when none could be made.
struct TempBeside {
  std::string path;
  RemoveOnSignal registration;
  int fd = -1;
  int error = 0;
};

// Registered only once made: a name another process holds must never be
// removed by our signal handler. Ending signals are held on this thread in
// between; one that another thread takes then leaves the file to the next
// run's clean-up.
TempBeside CreateTempBeside(const std::string& path) {
  const EndingSignalsHeld held;
  TempBeside temp;
  for (int n = 0; n < kTempNames; ++n) {
    temp.path = path + ".tmp" + std::to_string(n);
    temp.fd = open(temp.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (temp.fd >= 0) {
      temp.registration = RemoveOnSignal(temp.path, RemoveOnSignal::Kind::File);
      flock(temp.fd, LOCK_EX);  // in use, for later runs' clean-up
      return temp;
    }
    if (errno != EEXIST) break;
  }
  temp.error = errno;
  return temp;
}

int WriteAll(int fd, const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return written < 0 ? errno : EIO;
    done += static_cast<std::size_t>(written);
  }
  return 0;
}

}  // namespace

int WriteFileByRename(const std::string& path, const std::string& bytes) {
  TempBeside temp = CreateTempBeside(path);
  if (temp.fd < 0) return temp.error;
  int error = WriteAll(temp.fd, bytes);
  if (close(temp.fd) != 0 && error == 0) error = errno;
  if (error == 0 && rename(temp.path.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) unlink(temp.path.c_str());
  return error;
}
