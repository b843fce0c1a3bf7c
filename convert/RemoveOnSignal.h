// Files and folders that must not outlive the process: the run's temporary
// folder and pictures, the movie's temporary file. Normally their owners
// remove them; every signal whose default ends the program (SIGINT, SIGTERM,
// SIGHUP, SIGPIPE, SIGQUIT, SIGALRM, SIGXCPU, SIGXFSZ, SIGUSR1, SIGUSR2)
// removes every registered one first, then ends the program as the signal
// would have.
#pragma once

#include <signal.h>

#include <string>

class RemoveOnSignal {
 public:
  enum class Kind { File, Folder };

  RemoveOnSignal() = default;
  // Registers path while the object lives. Folders are removed after files,
  // and only when empty. Nothing is registered when all places are taken.
  RemoveOnSignal(const std::string& path, Kind kind);
  ~RemoveOnSignal();
  RemoveOnSignal(RemoveOnSignal&& other) noexcept;
  RemoveOnSignal& operator=(RemoveOnSignal&& other) noexcept;
  RemoveOnSignal(const RemoveOnSignal&) = delete;
  RemoveOnSignal& operator=(const RemoveOnSignal&) = delete;

 private:
  void Release();

  int slot_ = -1;  // -1: nothing registered
};

// Holds back the signals that end the program on this thread while it lives,
// so that a file can be made and registered before one of them can end the
// program in between.
class EndingSignalsHeld {
 public:
  EndingSignalsHeld();
  ~EndingSignalsHeld();
  EndingSignalsHeld(const EndingSignalsHeld&) = delete;
  EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

 private:
  sigset_t previous_;
};
