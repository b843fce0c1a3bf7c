#include "tests/support/ProcessRunner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace {

struct FdCloser {
  void operator()(const int* fd) const {
    close(*fd);
    delete fd;
  }
};
using UniqueFd = std::unique_ptr<int, FdCloser>;

UniqueFd Own(int fd) {
  if (fd < 0) throw std::runtime_error("cannot open a file descriptor");
  return UniqueFd(new int(fd));
}

struct FileActions {
  FileActions() { posix_spawn_file_actions_init(&actions); }
  ~FileActions() { posix_spawn_file_actions_destroy(&actions); }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
  posix_spawn_file_actions_t actions;
};

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& extra) {
  std::vector<std::string> merged(extra);
  for (char** entry = environ; *entry; ++entry) {
    std::string variable(*entry);
    std::string name = variable.substr(0, variable.find('=') + 1);
    bool overridden = false;
    for (const std::string& e : extra) overridden = overridden || e.starts_with(name);
    if (!overridden) merged.push_back(variable);
  }
  return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// The terminal's master side; reading it until the slave closes gives the output.
UniqueFd OpenTerminal(std::string& slaveName) {
  UniqueFd master = Own(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
  if (grantpt(*master) != 0 || unlockpt(*master) != 0) throw std::runtime_error("no pseudo terminal");
  slaveName = ptsname(*master);
  return master;
}

std::string DrainTerminal(int master) {
  std::string text;
  char buffer[4096];
  for (;;) {
    ssize_t got = read(master, buffer, sizeof buffer);
    if (got > 0) {
      text.append(buffer, static_cast<std::size_t>(got));
    } else if (got < 0 && errno == EINTR) {
      continue;
    } else {
      return text;  // EIO once the program's side is closed
    }
  }
}

int ExitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

int WaitForExit(pid_t child) {
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return ExitCodeOf(status);
}

// Polls, so the caller needs no signal handling; kills the child when time is up.
int WaitForExit(pid_t child, double timeoutSeconds, bool& timedOut) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child) return ExitCodeOf(status);
    if (done < 0 && errno != EINTR) return -1;
    if (std::chrono::steady_clock::now() >= deadline) {
      timedOut = true;
      kill(child, SIGKILL);
      return WaitForExit(child);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace

std::string ReadWholeFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

ProgramResult RunProgram(const ProgramCall& call) {
  // Named per call so parallel test processes can share a working folder.
  static std::atomic<int> calls = 0;
  std::string tag = std::to_string(getpid()) + "-" + std::to_string(++calls);
  const std::filesystem::path captureDir = call.workDir.empty() ? std::filesystem::temp_directory_path() : call.workDir;
  std::filesystem::path outFile = captureDir / (".program-out-" + tag);
  std::filesystem::path errFile = captureDir / (".program-err-" + tag);
  FileActions files;
  posix_spawn_file_actions_addopen(&files.actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files.actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::string slaveName;
  UniqueFd master;
  UniqueFd slave;
  if (call.errOnTerminal) {
    // Held open across the start so the master never sees a closed terminal early.
    master = OpenTerminal(slaveName);
    slave = Own(open(slaveName.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    posix_spawn_file_actions_adddup2(&files.actions, *slave, 2);
    posix_spawn_file_actions_addclose(&files.actions, *slave);
  } else {
    posix_spawn_file_actions_addopen(&files.actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  if (!call.workDir.empty()) posix_spawn_file_actions_addchdir_np(&files.actions, call.workDir.c_str());

  std::vector<std::string> args = call.argv;
  std::vector<std::string> environment = MergedEnvironment(call.extraEnvironment);
  std::vector<char*> argv = Pointers(args);
  std::vector<char*> envp = Pointers(environment);
  pid_t child = 0;
  if (posix_spawnp(&child, argv[0], &files.actions, nullptr, argv.data(), envp.data()) != 0) {
    throw std::runtime_error("cannot start " + call.argv[0]);
  }
  slave.reset();
  ProgramResult result;
  if (master) result.err = DrainTerminal(*master);
  result.exitCode =
      call.timeoutSeconds > 0 ? WaitForExit(child, call.timeoutSeconds, result.timedOut) : WaitForExit(child);
  result.out = ReadWholeFile(outFile);
  if (!master) result.err = ReadWholeFile(errFile);
  std::filesystem::remove(outFile);
  std::filesystem::remove(errFile);
  return result;
}
