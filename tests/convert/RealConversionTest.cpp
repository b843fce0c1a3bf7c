// Whole conversions through the real decoding library and imaging module, on
// small clips made with ffmpeg, read back by our reader and by ffmpeg's own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "convert/HandOffMovie.h"
#include "convert/RunConversion.h"
#include "media/decoder/RealDecoder.h"
#include "media/pictavo/PictavoModule.h"
#include "tests/convert/MovieReplay.h"
#include "tests/convert/RecordingWindow.h"
#include "tests/support/ClipMaker.h"
#include "tests/support/ProcessRunner.h"

namespace {

namespace fs = std::filesystem;

struct Clip {
  const char* name;
  std::vector<std::string> codecs;
};

void PrintTo(const Clip& clip, std::ostream* out) { *out << clip.name; }

const Clip kClips[] = {
    {"clip.avi", {"-c:v", "mpeg4", "-c:a", "pcm_s16le"}},
    {"clip.mpg", {"-c:v", "mpeg1video", "-c:a", "mp2", "-f", "mpeg"}},
    {"clip.vob", {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "vob"}},
};

// Two seconds of a moving test picture with a tone, 25 frames a second.
fs::path MadeClip(const Clip& clip) {
  std::vector<std::string> args = {"-f",       "lavfi", "-i", "testsrc2=size=96x64:rate=25:duration=2",
                                   "-f",       "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=2",
                                   "-shortest"};
  args.insert(args.end(), clip.codecs.begin(), clip.codecs.end());
  return CachedClip(clip.name, args);
}

class RealConversion : public ::testing::TestWithParam<Clip> {
 protected:
  static void SetUpTestSuite() {
    const char* moduleDir = std::getenv("TESSALINE_MODULE_DIR");
    module = PictavoModule::Load(moduleDir ? moduleDir : ".").release();
  }
  static void TearDownTestSuite() { delete module; }

  void SetUp() override {
    ASSERT_NE(module, nullptr) << "imaging module not found";
    module->Api().SetJPEGQual(50);
    char pattern[] = "/tmp/tessaline-real-XXXXXX";
    folder = mkdtemp(pattern);
    source = folder / GetParam().name;
    // Conversions running side by side would share tempjpg0.jpg in one folder.
    if (const char* old = std::getenv("TMPDIR")) oldTmpdir = old;
    setenv("TMPDIR", folder.c_str(), 1);
    fs::copy_file(MadeClip(GetParam()), source);
  }
  void TearDown() override {
    if (oldTmpdir.empty())
      unsetenv("TMPDIR");
    else
      setenv("TMPDIR", oldTmpdir.c_str(), 1);
    fs::remove_all(folder);
  }

  bool Convert(bool audio) {
    settings.sourcePath = source.string();
    settings.targetPath = (folder / "film.swf").string();
    settings.convertAudio = audio;
    settings.audio16Bit = true;
    settings.openResult = false;
    return RunConversion(settings, window, module->Api(), RealDecoder()) != ConversionOutcome::NotWritten;
  }

  static PictavoModule* module;
  fs::path folder;
  fs::path source;
  std::string oldTmpdir;
  ConversionSettings settings;
  RecordingWindow window;
};

PictavoModule* RealConversion::module = nullptr;

TEST_P(RealConversion, MovieWithSoundReadsBackInFfmpeg) {
  ASSERT_TRUE(Convert(true));
  const SwfMovie movie = LoadCheckedMovie(settings.targetPath);
  EXPECT_EQ(movie.xMax, 96 * 20);
  EXPECT_EQ(movie.yMax, 64 * 20);
  EXPECT_NEAR(movie.frameCount, 10, 1);  // two seconds at 5 frames a second
  std::string sound;
  for (const SwfTag* block : TagsWithCode(movie, tags::kSoundStreamBlock))
    sound.append(block->body.begin(), block->body.end());
  // 11025 samples a second, 16-bit mono: 2205 samples, 4410 bytes a frame
  EXPECT_EQ(sound.size(), static_cast<std::size_t>(movie.frameCount) * 4410);
  EXPECT_TRUE(fs::exists(folder / "film.htm"));
  EXPECT_EQ(window.codeLines.size(), 10u);

  const ProgramResult theirs = RunProgram(
      {{"ffmpeg", "-v", "error", "-y", "-i", settings.targetPath, "-map", "0:a", "-c:a", "copy", "-f", "data", "-"}});
  ASSERT_EQ(theirs.exitCode, 0) << theirs.err;
  EXPECT_EQ(theirs.out, sound);
  EXPECT_EQ(theirs.err, "");

  const ProgramResult count =
      RunProgram({{"ffprobe", "-v", "error", "-count_frames", "-select_streams", "v", "-show_entries",
                   "stream=nb_read_frames", "-of", "csv=p=0", settings.targetPath}});
  ASSERT_EQ(count.exitCode, 0) << count.err;
  EXPECT_EQ(std::atoi(count.out.c_str()), static_cast<int>(TagsWithCode(movie, tags::kDefineBitsJPEG2).size()));
  EXPECT_EQ(count.err, "");
}

TEST_P(RealConversion, MovieWithoutSoundHoldsPicturesOnly) {
  ASSERT_TRUE(Convert(false));
  const SwfMovie movie = LoadCheckedMovie(settings.targetPath);
  EXPECT_TRUE(TagsWithCode(movie, tags::kSoundStreamHead2).empty());
  EXPECT_TRUE(TagsWithCode(movie, tags::kSoundStreamBlock).empty());
  EXPECT_GE(TagsWithCode(movie, tags::kDefineBitsJPEG2).size(), 2u);
  for (const SwfTag* bitmap : TagsWithCode(movie, tags::kDefineBitsJPEG2)) {
    // FF D9 FF D8, then the JPEG file from its own FF D8 on, then FF D9
    ASSERT_GE(bitmap->body.size(), 10u);
    EXPECT_EQ(bitmap->body[6], 0xFF);
    EXPECT_EQ(bitmap->body[7], 0xD8);
  }
}

TEST_P(RealConversion, OverlappedRunWritesTheOneThreadMovie) {
  settings.framesPerSecond = 25;
  settings.overlapPictures = false;
  ASSERT_TRUE(Convert(true));
  const std::string oneThread = ReadWholeFile(settings.targetPath);
  const std::vector<std::string> oneThreadLines = window.lines;
  window.lines.clear();
  settings.overlapPictures = true;
  ASSERT_TRUE(Convert(true));
  EXPECT_EQ(ReadWholeFile(settings.targetPath), oneThread);
  EXPECT_EQ(window.lines, oneThreadLines);
  EXPECT_GT(TagsWithCode(LoadCheckedMovie(settings.targetPath), tags::kDefineBitsJPEG2).size(), 20u);
}

INSTANTIATE_TEST_SUITE_P(Containers, RealConversion, ::testing::ValuesIn(kClips),
                         [](const auto& info) { return std::string(info.param.name).substr(5); });

TEST(RealSource, MissingFileShowsTheLibraryText) {
  ConversionSettings settings;
  settings.sourcePath = "/nonexistent/clip.avi";
  settings.targetPath = "/tmp/tessaline-never-written.swf";
  RecordingWindow window;
  const char* moduleDir = std::getenv("TESSALINE_MODULE_DIR");
  const auto module = PictavoModule::Load(moduleDir ? moduleDir : ".");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(RunConversion(settings, window, module->Api(), RealDecoder()), ConversionOutcome::NotWritten);
  ASSERT_EQ(window.lines.size(), 1u);
  EXPECT_NE(window.lines[0].find("clip.avi"), std::string::npos) << window.lines[0];
  EXPECT_FALSE(fs::exists(settings.targetPath));
}

}  // namespace
