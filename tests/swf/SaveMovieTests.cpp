#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "swf/swf.h"
#include "tests/swf/ByteMatch.h"
#include "tests/swf/SwfTagReader.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder per test, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "tessaline-swf-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) {
      path = pattern;
    }
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path, ignored);
  }
  fs::path path;
};

Bytes ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

std::size_t EntriesIn(const fs::path& folder) {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

std::unique_ptr<FObjCollection> OneFrameMovie() {
  auto movie = std::make_unique<FObjCollection>();
  movie->AddObject(std::make_unique<FCTShowFrame>());
  return movie;
}

TEST(SaveMovie, ReplacesAnEarlierFileOnSuccess) {
  TempFolder folder;
  const fs::path target = folder.path / "movie.swf";
  WriteFile(target, "earlier movie");
  EXPECT_TRUE(OneFrameMovie()->SaveMovie(target, 20, 20, 1));
  const Bytes written = ReadFile(target);
  std::string error;
  const auto movie = ReadSwf(written, &error);
  ASSERT_TRUE(movie) << error;
  EXPECT_EQ(CheckMovie(*movie, written.size()), "");
  EXPECT_EQ(movie->frameCount, 1);
  EXPECT_EQ(EntriesIn(folder.path), 1u) << "a temporary file was left behind";
}

TEST(SaveMovie, FailsInAFolderThatDoesNotExist) {
  TempFolder folder;
  ResetCharacterIDs();
  NextCharacterID();
  EXPECT_FALSE(OneFrameMovie()->SaveMovie(folder.path / "missing" / "movie.swf", 20, 20, 1));
  EXPECT_FALSE(fs::exists(folder.path / "missing"));
  EXPECT_EQ(NextCharacterID(), 2) << "the ID counter must keep its value";
}

TEST(SaveMovie, FailsUnderARegularFile) {
  TempFolder folder;
  WriteFile(folder.path / "plain", "x");
  EXPECT_FALSE(OneFrameMovie()->SaveMovie(folder.path / "plain" / "movie.swf", 20, 20, 1));
  EXPECT_EQ(ReadFile(folder.path / "plain"), Bytes{'x'});
  EXPECT_EQ(EntriesIn(folder.path), 1u);
}

TEST(SaveMovie, FailsInAReadOnlyFolderAndKeepsTheEarlierFile) {
  TempFolder folder;
  const fs::path target = folder.path / "movie.swf";
  WriteFile(target, "earlier movie");
  fs::permissions(folder.path, fs::perms::owner_read | fs::perms::owner_exec);
  if (std::ofstream(folder.path / "probe")) {
    fs::remove(folder.path / "probe");
    GTEST_SKIP() << "running with rights that write into read-only folders (root)";
  }
  ResetCharacterIDs();
  NextCharacterID();
  EXPECT_FALSE(OneFrameMovie()->SaveMovie(target, 20, 20, 1));
  EXPECT_EQ(ReadFile(target), (Bytes{'e', 'a', 'r', 'l', 'i', 'e', 'r', ' ', 'm', 'o', 'v', 'i', 'e'}));
  EXPECT_EQ(EntriesIn(folder.path), 1u);
  EXPECT_EQ(NextCharacterID(), 2) << "the ID counter must keep its value";
}

// Lowers the file size limit so writes beyond it fail, also for root.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved);
    previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = saved;
    lowered.rlim_cur = bytes;
    active = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
  }
  bool active = false;

 private:
  rlimit saved{};
  void (*previousHandler)(int) = nullptr;
};

TEST(SaveMovie, FailedWriteKeepsTheEarlierFileAndLeavesNoTemporaryFile) {
  TempFolder folder;
  const fs::path target = folder.path / "movie.swf";
  WriteFile(target, "earlier");
  const Bytes picture(20000, 0x42);
  FObjCollection movie;
  movie.AddObject(std::make_unique<FDTDefineBitsJPEG2>(picture.data(), 20000));
  bool saved = true;
  {
    const FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.active);
    saved = movie.SaveMovie(target, 20, 20, 1);
  }
  EXPECT_FALSE(saved);
  EXPECT_EQ(ReadFile(target), (Bytes{'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
  EXPECT_EQ(EntriesIn(folder.path), 1u);
}

}  // namespace
