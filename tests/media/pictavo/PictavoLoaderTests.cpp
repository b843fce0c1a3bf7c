#include <dlfcn.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

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
  PictavoLoadProblem problem;
  EXPECT_EQ(PictavoModule::Load(emptyDir_, problem), nullptr);
  EXPECT_EQ(problem.file, emptyDir_ / "libPictavo.so");
  // The installed folder: lib/tessaline, or lib/<multiarch>/tessaline on Debian.
  const std::string lib = (emptyDir_.parent_path() / "lib").string();
  EXPECT_TRUE(problem.reason.starts_with("nicht vorhanden, auch nicht in " + lib + "/")) << problem.reason;
  EXPECT_TRUE(problem.reason.ends_with("/tessaline")) << problem.reason;
}

// An unknown program folder must not turn into a bare name, which dlopen
// would look up on the library path and in the current folder.
TEST_F(PictavoLoader, UnknownProgramFolderLoadsNothing) {
  const std::filesystem::path cwd = std::filesystem::current_path();
  std::filesystem::current_path(ModuleDir());
  PictavoLoadProblem problem;
  const auto module = PictavoModule::Load("", problem);
  std::filesystem::current_path(cwd);
  EXPECT_EQ(module, nullptr);
  EXPECT_EQ(problem.reason, "der Ordner des Programms ist unbekannt");
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

std::vector<char> ModuleBytes() {
  std::ifstream in(ModuleDir() / "libPictavo.so", std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& file, const std::vector<char>& bytes) {
  std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The module's first bytes: keep(size of the whole file) of them.
std::function<void(const std::filesystem::path&)> CutCopy(std::function<std::size_t(std::size_t)> keep) {
  return [keep](const std::filesystem::path& file) {
    std::vector<char> bytes = ModuleBytes();
    bytes.resize(keep(bytes.size()));
    WriteBytes(file, bytes);
  };
}

std::vector<char> RandomBytes(std::size_t count, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<char> bytes(count);
  for (char& byte : bytes) byte = static_cast<char>(random());
  return bytes;
}

struct BrokenCopy {
  const char* name;
  std::function<void(const std::filesystem::path&)> make;
};

// Whatever sits beside the program under the module's name, the loader must
// neither crash (the system loader faults on segments past a cut-off end) nor
// hang (a FIFO) nor take it.
const BrokenCopy kBrokenCopies[] = {
    {"empty", [](const auto& file) { WriteBytes(file, {}); }},
    {"header only", CutCopy([](std::size_t) { return 64; })},
    {"cut at a tenth", CutCopy([](std::size_t size) { return size / 10; })},
    {"cut in half", CutCopy([](std::size_t size) { return size / 2; })},
    {"cut at nine tenths", CutCopy([](std::size_t size) { return size / 10 * 9; })},
    {"last byte missing", CutCopy([](std::size_t size) { return size - 1; })},
    {"random bytes", [](const auto& file) { WriteBytes(file, RandomBytes(ModuleBytes().size(), 7)); }},
    {"header then random bytes",
     [](const auto& file) {
       std::vector<char> bytes = RandomBytes(ModuleBytes().size(), 11);
       std::copy_n(ModuleBytes().begin(), 64, bytes.begin());
       WriteBytes(file, bytes);
     }},
    {"folder", [](const auto& file) { std::filesystem::create_directory(file); }},
    {"fifo", [](const auto& file) { ASSERT_EQ(mkfifo(file.c_str(), 0600), 0); }},
    {"dangling link", [](const auto& file) { std::filesystem::create_symlink("nowhere.so", file); }},
    {"lacks an entry point",
     [](const auto& file) {
       std::filesystem::copy_file(std::filesystem::path(PICTAVO_INCOMPLETE_DIR) / "libPictavo.so", file);
     }},
};

TEST_F(PictavoLoader, RefusesEveryBrokenCopyBesideTheProgram) {
  for (const BrokenCopy& broken : kBrokenCopies) {
    SCOPED_TRACE(broken.name);
    const std::filesystem::path file = emptyDir_ / "libPictavo.so";
    std::filesystem::remove_all(file);
    broken.make(file);
    PictavoLoadProblem problem;
    EXPECT_EQ(PictavoModule::Load(emptyDir_, problem), nullptr);
    EXPECT_EQ(problem.file, file);
    EXPECT_FALSE(problem.reason.empty());
  }
}

TEST_F(PictavoLoader, TakesAnIntactCopyBesideTheProgram) {
  WriteBytes(emptyDir_ / "libPictavo.so", ModuleBytes());
  EXPECT_NE(PictavoModule::Load(emptyDir_), nullptr);
}

}  // namespace
