// The real program on real clips of each container, read back by our own
// reader and by FFmpeg's SWF demuxer as an independent check.
#include <ostream>

#include "CliFixture.h"

namespace {

using namespace swf_codes;

struct ContainerCase {
  const char* name;
  ClipKind kind;
  bool sound;
  bool track = sound;  // the movie gets a sound track: asked for, and the source has sound
};

void PrintTo(const ContainerCase& c, std::ostream* os) { *os << c.name; }

class ContainerConversion : public CliFixture, public testing::WithParamInterface<ContainerCase> {};

TEST_P(ContainerConversion, WritesASoundMovieAndThePageBesideIt) {
  std::filesystem::path movieFile = Dir() / "film.swf";
  std::vector<std::string> args = {"-o", movieFile.string(), TestClip(GetParam().kind).string()};
  if (!GetParam().sound) args.push_back("--no-audio");
  ProgramResult run = RunCli(args);
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  const bool silent = GetParam().sound && !GetParam().track;
  EXPECT_EQ(run.err, silent ? "tessaline-cli: Die Datei hat keine Tonspur; der Film bleibt stumm.\n" : "")
      << "no progress bar without a terminal";

  SwfMovie movie = ReadCheckedMovie(movieFile);
  EXPECT_EQ(movie.version, 4);
  EXPECT_EQ(movie.xMax, kClipWidth * 20);
  EXPECT_EQ(movie.yMax, kClipHeight * 20);
  EXPECT_EQ(movie.frameRate, 5 << 8);
  std::size_t frames = TagsWithCode(movie, kShowFrame).size();
  EXPECT_NEAR(static_cast<double>(frames), kClipSeconds * 5, 1.0);
  EXPECT_GE(TagsWithCode(movie, kDefineBitsJpeg2).size(), 1u);
  ASSERT_FALSE(movie.tags.empty());
  EXPECT_EQ(movie.tags.front().code, kSetBackgroundColor);

  EXPECT_EQ(TagsWithCode(movie, kSoundStreamHead2).size(), GetParam().track ? 1u : 0u);
  EXPECT_EQ(TagsWithCode(movie, kSoundStreamBlock).size(), GetParam().track ? frames : 0u);
  if (GetParam().track) {
    // Default sound: 8-bit mono, one byte per sample, 11025 samples a second.
    double soundSeconds = static_cast<double>(SoundBytes(movie).size()) / 11025;
    EXPECT_DOUBLE_EQ(soundSeconds, static_cast<double>(frames) / 5);
    EXPECT_NEAR(soundSeconds, kClipSeconds, 1.0 / 5);
  }

  std::string page = ReadWholeFile(Dir() / "film.htm");
  EXPECT_TRUE(page.starts_with("<!DOCTYPE html>\r\n")) << page;
  EXPECT_NE(page.find("<body>\r\n<object classid="), std::string::npos) << page;
  EXPECT_TRUE(page.ends_with("</embed>\r\n</object>\r\n</body>\r\n</html>\r\n")) << page;
  EXPECT_NE(page.find("<param name=\"movie\" value=\"film.swf\">\r\n"), std::string::npos) << page;
  EXPECT_NE(run.out.find("Starte Konvertierung...\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Konvertiertung beendet.\n"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("<param"), std::string::npos) << "the code only with --print-code: " << run.out;
  EXPECT_NE(run.out.find("Webseite geschrieben: " + (Dir() / "film.htm").string()), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(EachContainer, ContainerConversion,
                         testing::Values(ContainerCase{"AviWithSound", ClipKind::AviMpeg4Pcm, true},
                                         ContainerCase{"AviWithoutSound", ClipKind::AviMpeg4Pcm, false},
                                         ContainerCase{"MpgWithSound", ClipKind::MpgMpeg1Mp2, true},
                                         ContainerCase{"MpgWithoutSound", ClipKind::MpgMpeg1Mp2, false},
                                         ContainerCase{"VobWithSound", ClipKind::VobMpeg2Ac3, true},
                                         ContainerCase{"VobWithoutSound", ClipKind::VobMpeg2Ac3, false},
                                         ContainerCase{"SourceWithoutSoundTrack", ClipKind::AviSilentNoSound, true, false}),
                         [](const testing::TestParamInfo<ContainerCase>& info) {
                           return std::string(info.param.name);
                         });

using SoundFormat = CliFixture;

TEST_F(SoundFormat, BlocksFollowTheChosenRateSizeChannelsAndFrameRate) {
  std::filesystem::path movieFile = Dir() / "ton.swf";
  ProgramResult run = RunCli({"--16bit", "--stereo", "--rate", "22000", "--fps", "3", "-o", movieFile.string(),
                              TestClip(ClipKind::VobMpeg2Ac3).string()});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  SwfMovie movie = ReadCheckedMovie(movieFile);
  EXPECT_EQ(movie.frameRate, 3 << 8);

  auto heads = TagsWithCode(movie, kSoundStreamHead2);
  ASSERT_EQ(heads.size(), 1u);
  // 0x01 playback byte; 0000 uncompressed, 10 22 kHz, 1 16-bit, 1 stereo; 7350 = 0x1CB6 samples a frame.
  EXPECT_EQ(heads[0]->body, (std::vector<std::uint8_t>{0x01, 0x0B, 0xB6, 0x1C}));

  auto blocks = TagsWithCode(movie, kSoundStreamBlock);
  ASSERT_EQ(blocks.size(), TagsWithCode(movie, kShowFrame).size());
  for (std::size_t k = 1; k <= blocks.size(); ++k) {
    // Block k holds the 22050 Hz samples of its third of a second, 7350 frames of 4 bytes.
    std::size_t expectedFrames = k * 22050 / 3 - (k - 1) * 22050 / 3;
    EXPECT_EQ(blocks[k - 1]->body.size(), expectedFrames * 4) << "block " << k;
  }
  double soundSeconds = static_cast<double>(SoundBytes(movie).size()) / 4 / 22050;
  EXPECT_NEAR(soundSeconds, kClipSeconds, 1.0 / 3);
}

TEST_F(SoundFormat, HigherCompressionGivesSmallerPictures) {
  std::size_t sizes[2] = {};
  int compressions[2] = {0, 90};
  for (int i = 0; i < 2; ++i) {
    std::filesystem::path movieFile = Dir() / ("c" + std::to_string(compressions[i]) + ".swf");
    ProgramResult run = RunCli({"--no-audio", "--compression", std::to_string(compressions[i]), "-o",
                                movieFile.string(), TestClip(ClipKind::AviMpeg4Pcm).string()});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    SwfMovie movie = ReadCheckedMovie(movieFile);
    for (const SwfTag* jpeg : TagsWithCode(movie, kDefineBitsJpeg2)) sizes[i] += jpeg->length;
  }
  EXPECT_GT(sizes[0], 2 * sizes[1]);
}

struct FfmpegCase {
  const char* name;
  ClipKind kind;
  std::vector<std::string> options;
  const char* rawFormat;  // FFmpeg's name of the movie's sample format
};

void PrintTo(const FfmpegCase& c, std::ostream* os) { *os << c.name; }

class FfmpegReadsOurMovie : public CliFixture, public testing::WithParamInterface<FfmpegCase> {};

TEST_P(FfmpegReadsOurMovie, EveryPictureDecodesAndTheSoundIsExactlyOurs) {
  std::filesystem::path movieFile = Dir() / "film.swf";
  std::vector<std::string> args = GetParam().options;
  args.insert(args.end(), {"-o", movieFile.string(), TestClip(GetParam().kind).string()});
  ProgramResult run = RunCli(args);
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  SwfMovie movie = ReadCheckedMovie(movieFile);

  ProgramResult decoded = RunTool({"ffmpeg", "-v", "error", "-i", "film.swf", "-map", "0:v", "-f", "null", "-"});
  EXPECT_EQ(decoded.exitCode, 0);
  EXPECT_EQ(decoded.err, "");
  ProgramResult counted = RunTool({"ffprobe", "-v", "error", "-select_streams", "v:0", "-count_frames", "-show_entries",
                                   "stream=nb_read_frames", "-of", "csv=p=0", "film.swf"});
  EXPECT_EQ(counted.err, "");
  EXPECT_EQ(counted.out, std::to_string(TagsWithCode(movie, kDefineBitsJpeg2).size()) + "\n");

  ProgramResult sound =
      RunTool({"ffmpeg", "-v", "error", "-i", "film.swf", "-map", "0:a", "-f", GetParam().rawFormat, "sound.raw"});
  ASSERT_EQ(sound.exitCode, 0) << sound.err;
  std::string theirs = ReadWholeFile(Dir() / "sound.raw");
  std::vector<std::uint8_t> ours = SoundBytes(movie);
  ASSERT_FALSE(ours.empty());
  EXPECT_EQ(std::vector<std::uint8_t>(theirs.begin(), theirs.end()), ours);
}

INSTANTIATE_TEST_SUITE_P(
    SeveralFormats, FfmpegReadsOurMovie,
    testing::Values(
        FfmpegCase{"AviDefaults", ClipKind::AviMpeg4Pcm, {}, "u8"},
        FfmpegCase{"MpgSixteenBitStereo", ClipKind::MpgMpeg1Mp2, {"--16bit", "--stereo", "--rate", "44000"}, "s16le"},
        FfmpegCase{"VobAllPictures", ClipKind::VobMpeg2Ac3, {"--all-pictures", "--16bit", "--fps", "12"}, "s16le"},
        FfmpegCase{"AviStereoEightBit", ClipKind::AviMpeg4Pcm, {"--stereo", "--rate", "5500"}, "u8"}),
    [](const testing::TestParamInfo<FfmpegCase>& info) { return std::string(info.param.name); });

}  // namespace
