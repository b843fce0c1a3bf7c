// How the window gets the imaging module's entry points; tests hand in fakes.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "media/pictavo/PictavoApi.h"

struct LoadedImaging {
  std::shared_ptr<const void> keepAlive;  // the entry points stay valid while this lives
  PictavoApi api;
};

// Nothing when the module or one of its entry points is missing.
using ImagingLoader = std::function<std::optional<LoadedImaging>()>;

ImagingLoader PictavoModuleLoader(std::filesystem::path programDir);
