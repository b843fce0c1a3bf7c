#include "cli/ShellOpen.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>

#include <filesystem>
#include <memory>
#include <system_error>

extern char** environ;

namespace {

struct FileActionsDeleter {
  void operator()(posix_spawn_file_actions_t* actions) const {
    posix_spawn_file_actions_destroy(actions);
    delete actions;
  }
};
struct SpawnAttrDeleter {
  void operator()(posix_spawnattr_t* attr) const {
    posix_spawnattr_destroy(attr);
    delete attr;
  }
};

std::unique_ptr<posix_spawn_file_actions_t, FileActionsDeleter> QuietFileActions() {
  auto actions = std::make_unique<posix_spawn_file_actions_t>();
  if (posix_spawn_file_actions_init(actions.get()) != 0) return nullptr;
  std::unique_ptr<posix_spawn_file_actions_t, FileActionsDeleter> owned(actions.release());
  posix_spawn_file_actions_addopen(owned.get(), 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(owned.get(), 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(owned.get(), 1, 2);
  return owned;
}

// Its own session, so closing our terminal does not end the viewer.
std::unique_ptr<posix_spawnattr_t, SpawnAttrDeleter> DetachedAttributes() {
  auto attr = std::make_unique<posix_spawnattr_t>();
  if (posix_spawnattr_init(attr.get()) != 0) return nullptr;
  std::unique_ptr<posix_spawnattr_t, SpawnAttrDeleter> owned(attr.release());
  posix_spawnattr_setflags(owned.get(), POSIX_SPAWN_SETSID);
  return owned;
}

// A relative name starting with '-' would be read as an option.
std::string UnmistakablePath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (!error) return absolute.string();
  return path.starts_with('/') ? path : "./" + path;
}

// xdg-open fails within moments when no program takes the file; a viewer it
// started may run for hours, so it is not waited for longer.
bool EndedWithFailure(pid_t child) {
  constexpr int kChecks = 30;
  constexpr timespec kPause{0, 100'000'000};
  for (int check = 0; check < kChecks; ++check) {
    int status = 0;
    const pid_t ended = waitpid(child, &status, WNOHANG);
    if (ended == child) return !WIFEXITED(status) || WEXITSTATUS(status) != 0;
    if (ended < 0) return false;
    nanosleep(&kPause, nullptr);
  }
  return false;
}

}  // namespace

bool OpenWithDesktop(const std::string& path) {
  auto actions = QuietFileActions();
  auto attributes = DetachedAttributes();
  if (!actions || !attributes) return false;
  std::string program = "xdg-open";
  std::string argument = UnmistakablePath(path);
  char* argv[] = {program.data(), argument.data(), nullptr};
  pid_t child = 0;
  if (posix_spawnp(&child, program.c_str(), actions.get(), attributes.get(), argv, environ) != 0) return false;
  return !EndedWithFailure(child);
}
