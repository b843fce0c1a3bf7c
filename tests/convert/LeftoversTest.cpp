// What runs that were killed left behind is removed by the next run, but
// never what a live run holds, another kind of file, or a link's target.
#include "convert/DeadRunLeftovers.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

// A process id that was just in use and is gone now.
pid_t GonePid() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

std::string ReadWhole(const fs::path& file) {
  std::ifstream in(file);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class Leftovers : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tessaline-leftovers-XXXXXX";
    folder = mkdtemp(pattern);
    std::ofstream(folder / "opfer.txt") << "unberührt";
  }
  void TearDown() override { fs::remove_all(folder); }

  fs::path folder;
};

TEST_F(Leftovers, RunFoldersGoOnlyWhenTheirProcessIsGoneAndNothingHoldsThem) {
  const std::string dead = "tessaline-" + std::to_string(GonePid()) + "-";
  const std::string live = "tessaline-" + std::to_string(getppid()) + "-";
  struct Case {
    std::string name;
    bool folder;
    bool locked;
    bool removed;
  };
  const Case cases[] = {
      {dead + "a1B2c3", true, false, true},   {dead + "d4E5f6", true, true, false},  // another pid namespace's live run
      {live + "a1B2c3", true, false, false},  {"tessaline-" + std::to_string(getpid()) + "-a1B2c3", true, false, false},
      {dead + "kurz", true, false, false},    {"tessaline-a1B2c3", true, false, false},
      {dead + "g7H8i9", false, false, false},
  };
  std::vector<OwnerLock> locks;
  for (const Case& c : cases) {
    const fs::path path = folder / c.name;
    if (c.folder) {
      fs::create_directory(path);
      std::ofstream(path / "tempjpg0.jpg") << "picture";
    } else {
      std::ofstream(path) << "a file";
    }
    if (c.locked) locks.emplace_back(path.string());
  }
  fs::create_symlink(folder / "opfer.txt", folder / (dead + "m4N5o6"));
  RemoveDeadRunFolders(folder.string());
  for (const Case& c : cases) EXPECT_EQ(fs::exists(folder / c.name), !c.removed) << c.name;
  EXPECT_TRUE(fs::is_symlink(folder / (dead + "m4N5o6")));
  EXPECT_EQ(ReadWhole(folder / "opfer.txt"), "unberührt");
}

TEST_F(Leftovers, TemporariesBesideATargetGoUnlessHeldOrForeign) {
  for (const char* name : {"film.swf.tmp0", "film.swf.tmp17", "film.swf.tmp2", "film.swf.tmpx", "film.swf.tmp",
                           "anders.swf.tmp0", "film.swf"}) {
    std::ofstream(folder / name) << "bytes";
  }
  const OwnerLock held((folder / "film.swf.tmp2").string());
  ASSERT_TRUE(held.Held());
  fs::create_symlink(folder / "opfer.txt", folder / "film.swf.tmp3");
  fs::create_directory(folder / "film.swf.tmp4");
  RemoveDeadTemporariesBeside((folder / "film.swf").string());
  EXPECT_FALSE(fs::exists(folder / "film.swf.tmp0"));
  EXPECT_FALSE(fs::exists(folder / "film.swf.tmp17"));
  for (const char* kept : {"film.swf.tmp2", "film.swf.tmpx", "film.swf.tmp", "anders.swf.tmp0", "film.swf",
                           "film.swf.tmp4", "opfer.txt"}) {
    EXPECT_TRUE(fs::exists(folder / kept)) << kept;
  }
  EXPECT_TRUE(fs::is_symlink(folder / "film.swf.tmp3"));
  EXPECT_EQ(ReadWhole(folder / "opfer.txt"), "unberührt");
}

TEST_F(Leftovers, ALockIsHeldByOneOwnerAtATimeAndGivenBackWithTheObject) {
  const std::string file = (folder / "film.swf.tmp0").string();
  std::ofstream(file) << "bytes";
  {
    OwnerLock first(file);
    EXPECT_TRUE(first.Held());
    EXPECT_FALSE(OwnerLock(file).Held());
    OwnerLock moved = std::move(first);
    EXPECT_FALSE(OwnerLock(file).Held());
  }
  EXPECT_TRUE(OwnerLock(file).Held());
  EXPECT_FALSE(OwnerLock((folder / "fehlt").string()).Held());
}

}  // namespace
