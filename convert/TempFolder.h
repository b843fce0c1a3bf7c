// The run's own folder for the pictures on their way through the imaging
// module. It is made by mkdtemp inside the system's temporary folder (TMPDIR),
// so only this user may enter it and no other program can plant a link under a
// picture's name or take the name away; runs side by side never meet. The
// folder is locked while the run lives, and folders of runs that died
// without removing theirs are removed when the next one starts.
#pragma once

#include <string>

#include "convert/DeadRunLeftovers.h"
#include "convert/RemoveOnSignal.h"

// An empty file made by TempFolder::NewFile, removed with whatever it holds
// then when the object goes, or when a signal ends the program.
class TempFile {
 public:
  TempFile() = default;
  TempFile(std::string path, RemoveOnSignal registration);
  ~TempFile();
  TempFile(TempFile&& other) noexcept;
  TempFile& operator=(TempFile&& other) noexcept;
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  bool Made() const { return !path_.empty(); }
  const std::string& Path() const { return path_; }

 private:
  void Remove();

  std::string path_;
  RemoveOnSignal registration_;  // given up only after the file is gone
};

class TempFolder {
 public:
  // Makes the folder and checks that it takes a file's bytes; Problem() says
  // why not.
  TempFolder();
  // Removes it with whatever is left in it.
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  bool Made() const { return !path_.empty(); }
  const std::string& Path() const { return path_; }
  // A German line with the system's reason; empty when the folder was made.
  const std::string& Problem() const { return problem_; }

  // prefix, the first number free in the folder, extension: created empty,
  // exclusively and not through a link. Not Made() when that fails.
  TempFile NewFile(const std::string& prefix, const std::string& extension) const;

 private:
  std::string path_;
  std::string problem_;
  RemoveOnSignal registration_;
  OwnerLock lock_;  // held until the folder is gone
};

// The system's temporary folder: TMPDIR (or TMP, TEMP, TEMPDIR), else /tmp.
std::string SystemTempFolder();
