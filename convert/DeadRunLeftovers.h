// What runs that were ended without a chance to clean up (SIGKILL, a power
// cut) left behind: their temporary folder and the temporary files beside
// their movie and page. A live run holds a lock on each of its temporaries;
// the system drops it however the process ends, so a later run removes only
// what no live run holds, and only what belongs to this user.
#pragma once

#include <string>

// An exclusive lock on a file or folder that lives as long as the object.
// Nothing is held when the path cannot be opened.
class OwnerLock {
 public:
  OwnerLock() = default;
  explicit OwnerLock(const std::string& path);
  ~OwnerLock();
  OwnerLock(OwnerLock&& other) noexcept;
  OwnerLock& operator=(OwnerLock&& other) noexcept;
  OwnerLock(const OwnerLock&) = delete;
  OwnerLock& operator=(const OwnerLock&) = delete;

  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// The mkdtemp pattern of this run's temporary folder in parent; the process
// id in the name tells the owner.
std::string RunFolderPattern(const std::string& parent);

// Removes every run folder in parent whose process is gone and which no
// process holds locked.
void RemoveDeadRunFolders(const std::string& parent);

// Removes the temporaries <target>.tmp<n> beside target that no process holds locked.
void RemoveDeadTemporariesBeside(const std::string& target);
