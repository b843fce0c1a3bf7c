#include "media/pictavo/PictavoModule.h"

#include <dlfcn.h>

#include <string>
#include <system_error>

#include "media/pictavo/ModuleFileCheck.h"

namespace {

constexpr const char* kModuleFileName = "libPictavo.so";

struct ModuleCloser {
  void operator()(void* handle) const { dlclose(handle); }
};
using ModuleHandle = std::unique_ptr<void, ModuleCloser>;

// A copy beside the program (the build tree) or in the installed tree's
// private folder is the one meant: when it is damaged, no other copy is taken
// in its place. The private folder is spelled out rather than left to the
// program's RUNPATH, which dlopen ignores when a sanitizer's interceptor calls it.
ModuleHandle OpenModule(const std::filesystem::path& programDir) {
  for (const std::filesystem::path& folder : {programDir, programDir / ".." / TESSALINE_MODULE_INSTALL_DIR}) {
    const std::filesystem::path candidate = folder / kModuleFileName;
    std::error_code ec;
    if (std::filesystem::symlink_status(candidate, ec).type() != std::filesystem::file_type::not_found) {
      if (!IsCompleteModuleFile(candidate)) return nullptr;
      return ModuleHandle(dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL));
    }
  }
  return ModuleHandle(dlopen(kModuleFileName, RTLD_NOW | RTLD_LOCAL));
}

template <typename Fn>
bool Resolve(void* handle, const char* name, Fn& entry) {
  entry = reinterpret_cast<Fn>(dlsym(handle, name));
  return entry != nullptr;
}

}  // namespace

std::unique_ptr<PictavoModule> PictavoModule::Load(const std::filesystem::path& programDir) {
  ModuleHandle handle = OpenModule(programDir);
  if (!handle) return nullptr;
  PictavoApi api;
  const bool complete = Resolve(handle.get(), "OpenDib", api.OpenDib) && Resolve(handle.get(), "deldib", api.deldib) &&
                        Resolve(handle.get(), "SaveDib", api.SaveDib) && Resolve(handle.get(), "newdib", api.newdib) &&
                        Resolve(handle.get(), "SetJPEGQual", api.SetJPEGQual);
  if (!complete) return nullptr;
  return std::unique_ptr<PictavoModule>(new PictavoModule(handle.release(), api));
}

PictavoModule::~PictavoModule() { dlclose(handle_); }
