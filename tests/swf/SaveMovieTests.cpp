#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

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

// The tags of a movie made twice, once for each way of writing it.
std::vector<std::unique_ptr<FObj>> SampleTags(const Bytes& picture, int frames) {
  std::vector<std::unique_ptr<FObj>> tags;
  tags.push_back(std::make_unique<FCTSetBackgroundColor>(std::make_unique<FColor>(1, 2, 3)));
  for (int i = 0; i < frames; ++i) {
    if (!picture.empty())
      tags.push_back(std::make_unique<FDTDefineBitsJPEG2>(picture.data(), static_cast<std::uint32_t>(picture.size())));
    tags.push_back(std::make_unique<FCTShowFrame>());
  }
  return tags;
}

TEST(MovieFileWriter, WritesTheBytesSaveMovieWrites) {
  struct Case {
    const char* name;
    std::size_t pictureBytes;
    int frames;
  };
  for (const Case& c : {Case{"no frames", 0, 0}, Case{"small tags", 0, 3}, Case{"large blocks", 70000, 4}}) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const Bytes picture(c.pictureBytes, 0x5A);
    ResetCharacterIDs();
    FObjCollection collection;
    for (auto& tag : SampleTags(picture, c.frames)) collection.AddObject(std::move(tag));
    ASSERT_TRUE(collection.SaveMovie(folder.path / "whole.swf", 6400, 4800, 12));
    ResetCharacterIDs();
    const fs::path target = folder.path / "streamed.swf";
    WriteFile(target, "earlier movie");
    {
      MovieFileWriter writer(target);
      for (const auto& tag : SampleTags(picture, c.frames)) writer.Add(*tag);
      EXPECT_EQ(writer.FrameCount(), c.frames);
      ASSERT_TRUE(writer.Save(6400, 4800, 12));
    }
    EXPECT_EQ(ReadFile(target), ReadFile(folder.path / "whole.swf"));
    EXPECT_EQ(EntriesIn(folder.path), 2u) << "a temporary file was left behind";
    EXPECT_EQ(NextCharacterID(), 1) << "the next movie's ids start at 1";
  }
}

TEST(MovieFileWriter, UnfinishedOrFailedMovieLeavesTheEarlierFileAlone) {
  enum class Ending { NotSaved, WriteFails, MissingFolder };
  for (const Ending ending : {Ending::NotSaved, Ending::WriteFails, Ending::MissingFolder}) {
    SCOPED_TRACE(static_cast<int>(ending));
    TempFolder folder;
    const fs::path target =
        ending == Ending::MissingFolder ? folder.path / "missing" / "movie.swf" : folder.path / "movie.swf";
    if (ending != Ending::MissingFolder) WriteFile(target, "earlier");
    const Bytes picture(20000, 0x42);
    {
      MovieFileWriter writer(target);
      const FileSizeLimit limit(ending == Ending::WriteFails ? 4096 : RLIM_INFINITY);
      for (const auto& tag : SampleTags(picture, 2)) writer.Add(*tag);
      if (ending != Ending::NotSaved) {
        EXPECT_FALSE(writer.Save(20, 20, 1));
      }
    }
    if (ending == Ending::MissingFolder) {
      EXPECT_FALSE(fs::exists(folder.path / "missing"));
    } else {
      EXPECT_EQ(ReadFile(target), (Bytes{'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
      EXPECT_EQ(EntriesIn(folder.path), 1u);
    }
  }
}

}  // namespace
