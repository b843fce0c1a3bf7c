#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "PictavoTestSupport.h"

namespace {

class PictavoLoader : public testing::Test {
 protected:
  void SetUp() override {
    emptyDir_ = std::filesystem::temp_directory_path() / ("pictavo-empty-" + std::to_string(getpid()));
    std::filesystem::create_directories(emptyDir_);
  }
  void TearDown() override { std::filesystem::remove_all(emptyDir_); }

  std::filesystem::path emptyDir_;
};

TEST_F(PictavoLoader, LoadsModuleBesideProgramWithAllEntryPoints) {
  const auto module = PictavoModule::Load(ModuleDir());
  ASSERT_NE(module, nullptr);
  const PictavoApi& api = module->Api();
  EXPECT_NE(api.OpenDib, nullptr);
  EXPECT_NE(api.deldib, nullptr);
  EXPECT_NE(api.SaveDib, nullptr);
  EXPECT_NE(api.newdib, nullptr);
  EXPECT_NE(api.SetJPEGQual, nullptr);
  DibRecord dib{};
  ASSERT_EQ(api.newdib(&dib, 2, 2, 24, 0, 0), 0);  // the pointers lead into the module
  EXPECT_EQ(dib.rowLength, 8);
  api.deldib(dib);
}

TEST_F(PictavoLoader, UnloadsModuleWhenDestroyed) {
  const std::string file = (ModuleDir() / "libPictavo.so").string();
  auto module = PictavoModule::Load(ModuleDir());
  ASSERT_NE(module, nullptr);
  void* probe = dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(probe, nullptr);
  dlclose(probe);
  module.reset();
  probe = dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD);
  EXPECT_EQ(probe, nullptr);
  if (probe) dlclose(probe);
}

TEST_F(PictavoLoader, FailsWhenModuleIsNeitherBesideProgramNorOnSystemPath) {
  void* onSystemPath = dlopen("libPictavo.so", RTLD_NOW);
  if (onSystemPath) dlclose(onSystemPath);
  ASSERT_EQ(onSystemPath, nullptr) << "a libPictavo.so is installed on the library path";
  EXPECT_EQ(PictavoModule::Load(emptyDir_), nullptr);
}

TEST_F(PictavoLoader, FailsWhenModuleLacksOneEntryPoint) {
  const std::filesystem::path incomplete = PICTAVO_INCOMPLETE_DIR;
  void* raw = dlopen((incomplete / "libPictavo.so").c_str(), RTLD_NOW);
  ASSERT_NE(raw, nullptr) << dlerror();
  for (const char* name : {"OpenDib", "deldib", "SaveDib", "newdib"}) EXPECT_NE(dlsym(raw, name), nullptr) << name;
  EXPECT_EQ(dlsym(raw, "SetJPEGQual"), nullptr);
  dlclose(raw);

  EXPECT_EQ(PictavoModule::Load(incomplete), nullptr);
}

}  // namespace
