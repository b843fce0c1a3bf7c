#include "ui/ImagingLoader.h"

#include "media/pictavo/PictavoModule.h"

ImagingLoader PictavoModuleLoader(std::filesystem::path programDir) {
  return [programDir]() -> std::optional<LoadedImaging> {
    std::shared_ptr<const PictavoModule> module = PictavoModule::Load(programDir);
    if (!module) return std::nullopt;
    const PictavoApi api = module->Api();
    return LoadedImaging{std::move(module), api};
  };
}
