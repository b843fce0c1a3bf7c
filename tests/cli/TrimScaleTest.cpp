// A part of a clip and a movie size of the user's choice, checked against
// FFmpeg's own decoding of the source and of our movie.
#include <cmath>

#include "CliFixture.h"

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

}  // namespace
