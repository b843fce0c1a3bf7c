// Only the program's own libraries and module are loaded: nothing from the
// folder it is started from, nothing a library search would find.
#include <fstream>
#include <regex>
#include <sstream>

#include "CliFixture.h"

namespace {

namespace fs = std::filesystem;

using Loading = CliFixture;

const fs::path kBuiltPrograms = fs::path(TESSALINE_CLI_PATH).parent_path();

bool IsElf(const fs::path& file) {
  char magic[4] = {};
  std::ifstream(file, std::ios::binary).read(magic, sizeof magic);
  return std::string(magic, 4) ==
         "\x7f"
         "ELF";
}

// Values of a dynamic-section entry kind (RUNPATH, RPATH, NEEDED) as readelf -d prints them.
std::vector<std::string> DynamicEntries(const ProgramResult& readelf, const std::string& kind) {
  std::vector<std::string> values;
  const std::regex line("\\(" + kind + "\\)[^\\[]*\\[([^\\]]*)\\]");
  for (std::sregex_iterator it(readelf.out.begin(), readelf.out.end(), line), end; it != end; ++it) {
    values.push_back((*it)[1]);
  }
  return values;
}

// An empty entry (":x", "x:", "a::b", or nothing at all) is the current folder to the loader.
TEST_F(Loading, NoBuiltProgramHasAnEmptyOrRelativeRunpathEntry) {
  int checked = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(kBuiltPrograms)) {
    if (!entry.is_regular_file() || !IsElf(entry.path())) continue;
    const ProgramResult readelf = RunTool({"readelf", "-d", entry.path().string()});
    ASSERT_EQ(readelf.exitCode, 0) << readelf.err;
    ++checked;
    for (const char* kind : {"RUNPATH", "RPATH"}) {
      for (const std::string& value : DynamicEntries(readelf, kind)) {
        std::stringstream entries(value + ":");
        for (std::string part; std::getline(entries, part, ':');) {
          EXPECT_TRUE(part.starts_with("$ORIGIN") || part.starts_with("/"))
              << entry.path() << " " << kind << " [" << value << "]";
        }
      }
    }
  }
  EXPECT_GE(checked, 3) << "the programs, the tests and the module";
}

// Copies of the marking library under every name the program needs, and as
// the module, in the folder it is started from.
fs::path PlantLibraries(const fs::path& folder, const std::vector<std::string>& names) {
  fs::create_directories(folder);
  for (const std::string& name : names) fs::copy_file(PLANTED_LIBRARY, folder / name);
  return folder;
}

TEST_F(Loading, LibrariesPlantedInTheCurrentFolderAreNeverLoaded) {
  std::vector<std::string> names = DynamicEntries(RunTool({"readelf", "-d", TESSALINE_CLI_PATH}), "NEEDED");
  ASSERT_FALSE(names.empty());
  names.push_back("libPictavo.so");
  const fs::path planted = PlantLibraries(Dir() / "hier", names);
  const ProgramResult run = RunProgram(
      {{TESSALINE_CLI_PATH, "-q", "--no-html", "-o", "film.swf", TestClip(ClipKind::AviMpeg4Pcm).string()}, planted});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_FALSE(fs::exists(planted / "planted-library-was-loaded"));
  ReadCheckedMovie(planted / "film.swf");
}

// Without its module, the program says where it looked and why, and takes no
// module from the library path or the current folder instead.
TEST_F(Loading, MissingModuleIsNotTakenFromTheLibraryPathOrTheCurrentFolder) {
  fs::create_directory(Dir() / "bin");
  fs::copy_file(TESSALINE_CLI_PATH, Dir() / "bin" / "tessaline-cli");
  const fs::path planted = PlantLibraries(Dir() / "hier", {"libPictavo.so"});
  const ProgramResult run = RunProgram({{(Dir() / "bin" / "tessaline-cli").string(), "x.avi"},
                                        planted,
                                        {"LD_LIBRARY_PATH=" + planted.string() + ":" + kBuiltPrograms.string()}});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.starts_with("tessaline-cli: Could not load file Pictavo.DLL\ntessaline-cli: Das Bildmodul " +
                                   (Dir() / "bin" / "libPictavo.so").string() +
                                   " kann nicht geladen werden (nicht vorhanden, auch nicht in " +
                                   (Dir() / "lib").string() + "/"))
      << run.err;
  EXPECT_FALSE(fs::exists(planted / "planted-library-was-loaded"));
}

}  // namespace
