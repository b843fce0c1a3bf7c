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

std::string LoaderText() {
  const char* text = dlerror();
  return text != nullptr ? text : "unbekannter Fehler des Laders";
}

// A copy beside the program (the build tree) or in the installed tree's
// private folder is the one meant: when it is damaged, no other copy is taken
// in its place. Both are named by absolute path: a bare name would send
// dlopen through the library search (LD_LIBRARY_PATH, an empty RUNPATH entry
// as the current folder), and the private folder is spelled out rather than
// left to the program's RUNPATH, which dlopen ignores when a sanitizer's
// interceptor calls it.
ModuleHandle OpenModule(const std::filesystem::path& programDir, PictavoLoadProblem& problem) {
  std::error_code ec;
  const std::filesystem::path base = programDir.empty() ? programDir : std::filesystem::absolute(programDir, ec);
  if (base.empty() || ec) {
    problem = {kModuleFileName, "der Ordner des Programms ist unbekannt"};
    return nullptr;
  }
  const std::filesystem::path installed = (base / ".." / TESSALINE_MODULE_INSTALL_DIR).lexically_normal();
  for (const std::filesystem::path& folder : {base, installed}) {
    const std::filesystem::path candidate = folder / kModuleFileName;
    if (std::filesystem::symlink_status(candidate, ec).type() == std::filesystem::file_type::not_found) continue;
    if (!IsCompleteModuleFile(candidate)) {
      problem = {candidate, "keine vollständige Bibliothek für dieses System"};
      return nullptr;
    }
    ModuleHandle handle(dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL));
    problem = {candidate, handle ? std::string() : LoaderText()};  // the file, for a missing entry point
    return handle;
  }
  problem = {base / kModuleFileName, "nicht vorhanden, auch nicht in " + installed.string()};
  return nullptr;
}

template <typename Fn>
bool Resolve(void* handle, const char* name, Fn& entry, PictavoLoadProblem& problem) {
  entry = reinterpret_cast<Fn>(dlsym(handle, name));
  if (entry == nullptr) problem.reason = std::string("Einsprungpunkt ") + name + " fehlt";
  return entry != nullptr;
}

}  // namespace

std::unique_ptr<PictavoModule> PictavoModule::Load(const std::filesystem::path& programDir) {
  PictavoLoadProblem ignored;
  return Load(programDir, ignored);
}

std::unique_ptr<PictavoModule> PictavoModule::Load(const std::filesystem::path& programDir,
                                                   PictavoLoadProblem& problem) {
  ModuleHandle handle = OpenModule(programDir, problem);
  if (!handle) return nullptr;
  PictavoApi api;
  void* module = handle.get();
  const bool complete =
      Resolve(module, "OpenDib", api.OpenDib, problem) && Resolve(module, "deldib", api.deldib, problem) &&
      Resolve(module, "SaveDib", api.SaveDib, problem) && Resolve(module, "newdib", api.newdib, problem) &&
      Resolve(module, "SetJPEGQual", api.SetJPEGQual, problem);
  if (!complete) return nullptr;
  return std::unique_ptr<PictavoModule>(new PictavoModule(handle.release(), api));
}

PictavoModule::~PictavoModule() { dlclose(handle_); }
