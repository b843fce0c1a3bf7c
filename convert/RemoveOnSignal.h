// Files and folders that must not outlive the process: the run's temporary
// folder and pictures, the movie's temporary file. Normally their owners
// remove them; an interrupt or a termination signal (SIGINT, SIGTERM, SIGHUP)
// removes every registered one first, then ends the program as the signal
// would have.
#pragma once

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
