// Loads the imaging module from the program's own folders and resolves its
// five entry points. Both front ends call the module only through Api().
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "media/pictavo/PictavoApi.h"

inline constexpr const char* kPictavoLoadFailure = "Could not load file Pictavo.DLL";

// Why the module was not loaded: the file meant and the reason, in German but
// for the system loader's own text.
struct PictavoLoadProblem {
  std::filesystem::path file;
  std::string reason;
};

class PictavoModule {
 public:
  // Takes the module in programDir when there is one there, else the one in
  // the installed tree's private folder (programDir/../lib/<multiarch>/tessaline); never
  // one the system's library search would find, so nothing is taken from the
  // current folder or a library path. Empty when the module is missing,
  // damaged or lacks any of the five entry points.
  static std::unique_ptr<PictavoModule> Load(const std::filesystem::path& programDir);
  // The same, saying why when it is empty.
  static std::unique_ptr<PictavoModule> Load(const std::filesystem::path& programDir, PictavoLoadProblem& problem);

  const PictavoApi& Api() const { return api_; }

  ~PictavoModule();
  PictavoModule(const PictavoModule&) = delete;
  PictavoModule& operator=(const PictavoModule&) = delete;

 private:
  PictavoModule(void* handle, const PictavoApi& api) : handle_(handle), api_(api) {}

  void* handle_;
  PictavoApi api_;
};
