// Loads the imaging module by its bare name and resolves its five entry
// points. Both front ends call the module only through Api().
#pragma once

#include <filesystem>
#include <memory>

#include "media/pictavo/PictavoApi.h"

inline constexpr const char* kPictavoLoadFailure = "Could not load file Pictavo.DLL";

class PictavoModule {
 public:
  // Takes the module in programDir when there is one there, else the one in
  // the installed tree's private folder (programDir/../lib/<multiarch>/tessaline), else
  // looks on the system's library path. Empty when the module is missing, damaged or lacks
  // any of the five entry points.
  static std::unique_ptr<PictavoModule> Load(const std::filesystem::path& programDir);

  const PictavoApi& Api() const { return api_; }

  ~PictavoModule();
  PictavoModule(const PictavoModule&) = delete;
  PictavoModule& operator=(const PictavoModule&) = delete;

 private:
  PictavoModule(void* handle, const PictavoApi& api) : handle_(handle), api_(api) {}

  void* handle_;
  PictavoApi api_;
};
