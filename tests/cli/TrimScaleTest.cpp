// A part of a clip and a movie size of the user's choice, checked against
// FFmpeg's own decoding of the source and of our movie.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "CliFixture.h"
#include "tests/support/ClipMaker.h"

namespace {

using namespace swf_codes;

double PsnrDb(const std::string& a, const std::string& b) {
  if (a.empty() || a.size() != b.size()) return 0;
  double squares = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const double d = static_cast<double>(static_cast<unsigned char>(a[i])) - static_cast<unsigned char>(b[i]);
    squares += d * d;
  }
  return 10 * std::log10(255.0 * 255.0 / std::max(squares / a.size(), 1e-10));
}

class TrimScale : public CliFixture {
 protected:
  // One picture as RGB bytes: FFmpeg decodes `input` (our movie or the clip),
  // picks the picture with the filter and writes it raw.
  std::string Picture(const std::filesystem::path& input, const std::string& filter) {
    const std::filesystem::path raw = Dir() / "picture.rgb";
    ProgramResult run = RunTool({"ffmpeg", "-v", "error", "-y", "-i", input.string(), "-vf", filter, "-frames:v", "1",
                                 "-f", "rawvideo", "-pix_fmt", "rgb24", raw.string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return ReadWholeFile(raw);
  }
};

TEST_F(TrimScale, PartStartsWithTheSourcePictureAtItsStartTime) {
  const std::filesystem::path clip = TestClip(ClipKind::AviMpeg4Pcm);
  const std::filesystem::path file = Dir() / "teil.swf";
  ProgramResult run =
      RunCli({"--compression", "0", "--start", "0.4", "--end", "0.8", "-o", file.string(), clip.string()});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  const SwfMovie movie = ReadCheckedMovie(file);
  EXPECT_EQ(TagsWithCode(movie, kShowFrame).size(), 2u);  // 0.4 s at 5 frames a second
  EXPECT_EQ(SoundBytes(movie).size(), 2u * 2205u);        // and its sound, 8-bit mono 11025 Hz

  const std::string first = Picture(file, "null");
  const double atStart = PsnrDb(first, Picture(clip, "select=eq(n\\,10)"));  // 0.4 s at 25 fps
  EXPECT_GT(atStart, 30.0);
  EXPECT_GT(atStart, PsnrDb(first, Picture(clip, "select=eq(n\\,0)")) + 5.0);
}

TEST_F(TrimScale, ScaledMovieMatchesFfmpegsScaling) {
  const std::filesystem::path clip = TestClip(ClipKind::AviMpeg4Pcm);
  const std::filesystem::path file = Dir() / "klein.swf";
  ProgramResult run = RunCli({"--compression", "0", "--width", "64", "--no-audio", "-o", file.string(), clip.string()});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  const SwfMovie movie = ReadCheckedMovie(file);
  EXPECT_EQ(movie.xMax, 64 * 20);
  EXPECT_EQ(movie.yMax, 48 * 20);  // 96 * 64 / 128
  // Scalers differ most at this clip's sharp coloured edges (about 25 dB
  // between FFmpeg's own flag sets), so the bar is the picture's content:
  // far closer to the same source picture than to the next-but-one.
  const std::string first = Picture(file, "null");
  const double same = PsnrDb(first, Picture(clip, "scale=64:48:flags=bicubic"));
  EXPECT_GT(same, 20.0);
  EXPECT_GT(same, PsnrDb(first, Picture(clip, "select=eq(n\\,2),scale=64:48:flags=bicubic")) + 3.0);
}

// A side past the largest stage would overflow the header's rectangle (the
// stage read back negative); such a size is refused before any work, and the
// largest that fits is written with the stage of its pictures.
TEST_F(TrimScale, StagePastTheLargestSideIsRefusedAndTheLargestFits) {
  const std::filesystem::path wide = CachedClip("wide-16x9.mpg", [] {
    std::vector<std::string> args = Lavfi("testsrc2=size=160x90:rate=25:duration=0.4");
    args.insert(args.end(), {"-c:v", "mpeg1video", "-f", "mpeg"});
    return args;
  }());
  const std::filesystem::path tall = CachedClip("tall-9x16.mpg", [] {
    std::vector<std::string> args = Lavfi("testsrc2=size=90x160:rate=25:duration=0.4");
    args.insert(args.end(), {"-c:v", "mpeg1video", "-f", "mpeg"});
    return args;
  }());
  const std::filesystem::path fourByThree = TestClip(ClipKind::MpgMpeg1Mp2);
  struct Case {
    std::filesystem::path clip;
    std::vector<std::string> size;
    int exitCode;
    int width;  // of the movie written
    int height;
  };
  const Case cases[] = {
      {fourByThree, {"--height", "2880"}, 2, 0, 0},  // 3840 wide
      {wide, {"--height", "1900"}, 2, 0, 0},         // 3378 wide
      {tall, {"--width", "2000"}, 2, 0, 0},          // 3556 high
      {fourByThree, {"--height", "2160"}, 0, 2880, 2160},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.clip.filename().string() + " " + c.size[0] + " " + c.size[1]);
    const std::filesystem::path file = Dir() / "gross.swf";
    std::vector<std::string> args = {"--no-audio", "--fps", "1", "--no-html", "-o", file.string(), c.clip.string()};
    args.insert(args.end(), c.size.begin(), c.size.end());
    ProgramResult run = RunCli(args);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
    if (c.exitCode != 0) {
      EXPECT_FALSE(std::filesystem::exists(file));
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
      EXPECT_NE(run.err.find("höchstens 2880 Pixel"), std::string::npos) << run.err;
      EXPECT_EQ(run.out.find("Starte"), std::string::npos) << run.out;
      continue;
    }
    const SwfMovie movie = ReadCheckedMovie(file);
    EXPECT_EQ(movie.xMax, c.width * 20);
    EXPECT_EQ(movie.yMax, c.height * 20);
    std::filesystem::remove(file);
  }
}

}  // namespace
