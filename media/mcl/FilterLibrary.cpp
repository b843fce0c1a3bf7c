#include "media/mcl/FilterLibrary.h"

#include <dlfcn.h>

#include <optional>

#include "media/mcl/FfmpegHandles.h"

namespace mcl {
namespace {

// The library this build was made against, by the name the dynamic linker
// would have looked it up by.
constexpr const char* kLibraryName = "libavfilter.so." AV_STRINGIFY(LIBAVFILTER_VERSION_MAJOR);

template <typename Function>
bool Find(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  return function != nullptr;
}

std::optional<FilterLibrary> Load() {
  // Kept for the process's life: graphs may be freed as it ends.
  void* library = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return std::nullopt;
  FilterLibrary f{};
  const bool complete =
      Find(library, "avfilter_get_by_name", f.getByName) && Find(library, "avfilter_graph_alloc", f.graphAlloc) &&
      Find(library, "avfilter_graph_free", f.graphFree) &&
      Find(library, "avfilter_graph_set_auto_convert", f.setAutoConvert) &&
      Find(library, "avfilter_graph_create_filter", f.createFilter) &&
      Find(library, "avfilter_graph_alloc_filter", f.allocFilter) &&
      Find(library, "avfilter_init_str", f.initFilter) && Find(library, "avfilter_link", f.link) &&
      Find(library, "avfilter_graph_config", f.configure) && Find(library, "av_buffersrc_add_frame", f.addFrame) &&
      Find(library, "av_buffersink_get_frame", f.getFrame) &&
      Find(library, "av_buffersink_get_time_base", f.sinkTimeBase);
  if (!complete) return std::nullopt;
  return f;
}

}  // namespace

const FilterLibrary* LoadFilterLibrary() {
  static const std::optional<FilterLibrary> library = Load();
  return library ? &*library : nullptr;
}

// A graph exists only where the library was loaded.
void FilterGraphFreer::operator()(AVFilterGraph* p) const { LoadFilterLibrary()->graphFree(&p); }

}  // namespace mcl
