// Pictures as a viewer sees them, measured on FFmpeg's decoding of our
// movies: DVD and DV sources in their display shape, interlaced sources
// without combs, untagged HD in HD colours, H.264 AVIs with empty chunks whole.
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "CliFixture.h"
#include "tests/support/ClipMaker.h"

namespace {

namespace fs = std::filesystem;
using namespace swf_codes;
using Args = std::vector<std::string>;

Args Join(Args first, const Args& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

class PictureShape : public CliFixture {
 protected:
  // Every picture FFmpeg decodes from the file, through the filter, as raw bytes.
  std::string Decoded(const fs::path& input, const std::string& pixelFormat, const std::string& filter = "null") {
    const fs::path raw = Dir() / "pictures.raw";
    ProgramResult run = RunTool({"ffmpeg", "-v", "error", "-y", "-i", input.string(), "-vf", filter, "-f", "rawvideo",
                                 "-pix_fmt", pixelFormat, raw.string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return ReadWholeFile(raw);
  }

  SwfMovie Convert(const fs::path& clip, const Args& options, const std::string& name = "film") {
    Args args = Join({"--compression", "0", "-o", (Dir() / (name + ".swf")).string()}, options);
    args.push_back(clip.string());
    ProgramResult run = RunCli(args);
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(run.err, "");
    return ReadCheckedMovie(Dir() / (name + ".swf"));
  }
};

struct ShapeCase {
  const char* clip;
  const char* size;  // stored
  const char* rate;
  const char* codec;
  const char* aspect;  // as shown
  double shown;
};

void PrintTo(const ShapeCase& c, std::ostream* os) { *os << c.clip; }

class DisplayShape : public PictureShape, public testing::WithParamInterface<ShapeCase> {};

TEST_P(DisplayShape, MovieAndPageHaveTheShapeTheSourceIsShownIn) {
  const ShapeCase& c = GetParam();
  const Args dv = {"-c:v", "dvvideo", "-pix_fmt", std::string(c.size) == "720x480" ? "yuv411p" : "yuv420p"};
  const Args mpeg2 = {"-c:v", "mpeg2video", "-f", "vob"};
  const fs::path clip = CachedClip(
      c.clip, Join(Lavfi(std::string("testsrc2=s=") + c.size + ":r=" + c.rate + ":d=0.2"),
                   Join({"-aspect", c.aspect}, std::string(c.codec) == "dv" ? dv : mpeg2)));
  const int storedWidth = 720;
  const int storedHeight = std::atoi(c.size + 4);

  const SwfMovie shown = Convert(clip, {"--no-audio", "--fps", "5"});
  const double width = shown.xMax / 20.0;
  const double height = shown.yMax / 20.0;
  EXPECT_EQ(height, storedHeight);
  EXPECT_NEAR(width / height, c.shown, c.shown * 0.01) << width << "x" << height;
  const std::string page = ReadWholeFile(Dir() / "film.htm");
  const std::string pageSize = "width=\"" + std::to_string(shown.xMax / 20) + "\" height=\"" +
                               std::to_string(shown.yMax / 20) + "\"";
  EXPECT_NE(page.find(pageSize), std::string::npos) << page;
  // The pictures fill the stage: FFmpeg decodes them at its size.
  EXPECT_EQ(Decoded(Dir() / "film.swf", "gray").size() % (shown.xMax / 20 * (shown.yMax / 20)), 0u);

  const SwfMovie stored = Convert(clip, {"--no-audio", "--fps", "5", "--keep-pixel-shape"}, "pixel");
  EXPECT_EQ(stored.xMax, storedWidth * 20);
  EXPECT_EQ(stored.yMax, storedHeight * 20);

  // One side asked for: the other follows the shape shown.
  const SwfMovie half = Convert(clip, {"--no-audio", "--fps", "5", "--height", std::to_string(storedHeight / 2)}, "half");
  EXPECT_NEAR(half.xMax / 20.0 / (half.yMax / 20.0), c.shown, c.shown * 0.01);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, DisplayShape,
    testing::Values(ShapeCase{"shape-pal-16x9.vob", "720x576", "25", "mpeg2", "16:9", 16.0 / 9},
                    ShapeCase{"shape-pal-4x3.vob", "720x576", "25", "mpeg2", "4:3", 4.0 / 3},
                    ShapeCase{"shape-ntsc-4x3.vob", "720x480", "30000/1001", "mpeg2", "4:3", 4.0 / 3},
                    ShapeCase{"shape-dv-pal-4x3.avi", "720x576", "25", "dv", "4:3", 4.0 / 3},
                    ShapeCase{"shape-dv-ntsc-16x9.avi", "720x480", "30000/1001", "dv", "16:9", 16.0 / 9}),
    [](const auto& info) {
      std::string name = std::string(info.param.clip).substr(6);
      for (char& ch : name) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
      return name;
    });

// Mean luma difference between rows one and two apart over every picture:
// a comb raises the first far above the second.
std::pair<double, double> RowDifferences(const std::string& gray, int width, int height) {
  double adjacent = 0;
  double twoApart = 0;
  const std::size_t size = static_cast<std::size_t>(width) * height;
  for (std::size_t picture = 0; picture + size <= gray.size(); picture += size) {
    for (int y = 0; y + 2 < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const auto at = [&](int row) { return static_cast<unsigned char>(gray[picture + row * width + x]); };
        adjacent += std::abs(at(y) - at(y + 1));
        twoApart += std::abs(at(y) - at(y + 2));
      }
    }
  }
  return {adjacent, twoApart};
}

TEST_F(PictureShape, InterlacedMovingBarShowsNoComb) {
  // Fields 1/50 s apart: a bar moving 8 pixels a field over a vertical ramp.
  const fs::path clip = CachedClip(
      "comb-bar.vob",
      Join(Lavfi("color=black:s=320x240:r=50:d=0.8,geq=lum='16+Y/2':cb=128:cr=128[ramp];"
                 "color=white:s=24x160:r=50[bar];[ramp][bar]overlay=x='mod(t*400,296)':y=40:shortest=1"),
           {"-vf", "tinterlace=mode=interleave_top,setfield=tff", "-c:v", "mpeg2video", "-flags", "+ilme+ildct",
            "-top", "1", "-b:v", "6M", "-f", "vob"}));
  const Args options = {"--no-audio", "--fps", "25", "--all-pictures"};
  Convert(clip, options);
  const auto [adjacent, twoApart] = RowDifferences(Decoded(Dir() / "film.swf", "gray"), 320, 240);
  EXPECT_LE(adjacent, 1.2 * twoApart) << adjacent << " against " << twoApart;

  Convert(clip, Join(options, {"--deinterlace", "off"}), "combed");
  const auto [combed, combedTwoApart] = RowDifferences(Decoded(Dir() / "combed.swf", "gray"), 320, 240);
  EXPECT_GT(combed, 2 * combedTwoApart) << "the clip is combed without deinterlacing";
}

TEST_F(PictureShape, UntaggedHdBarsHaveTheColoursOfBt709) {
  const fs::path clip =
      CachedClip("bars-1080p.avi", Join(Lavfi("smptehdbars=s=1920x1080:r=25:d=0.04"),
                                        {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-qp", "0"}));
  Convert(clip, {"--no-audio", "--fps", "25"});
  const std::string ours = Decoded(Dir() / "film.swf", "rgb24");
  const std::string theirs = Decoded(clip, "rgb24", "scale=in_color_matrix=bt709");
  ASSERT_EQ(ours.size(), theirs.size());
  int largest = 0;
  int compared = 0;
  for (const int y : {200, 700, 900}) {  // the three bands of bars
    for (int x = 12; x + 12 < 1920; ++x) {
      const auto at = [&](const std::string& rgb, int column, int channel) {
        return static_cast<unsigned char>(rgb[(static_cast<std::size_t>(y) * 1920 + column) * 3 + channel]);
      };
      bool inside = true;  // away from the bars' edges, where JPEG and chroma blur
      for (int channel = 0; channel < 3; ++channel)
        inside = inside && at(theirs, x - 12, channel) == at(theirs, x, channel) &&
                 at(theirs, x + 12, channel) == at(theirs, x, channel);
      if (!inside) continue;
      ++compared;
      for (int channel = 0; channel < 3; ++channel)
        largest = std::max(largest, std::abs(at(ours, x, channel) - at(theirs, x, channel)));
    }
  }
  EXPECT_GT(compared, 3000);
  EXPECT_LE(largest, 3);
}

struct ChunkCase {
  const char* clip;
  const char* filter;
};

void PrintTo(const ChunkCase& c, std::ostream* os) { *os << c.clip; }

class EmptyChunks : public PictureShape, public testing::WithParamInterface<ChunkCase> {};

TEST_P(EmptyChunks, H264AviConvertsWhole) {
  const ChunkCase& c = GetParam();
  const fs::path clip = CachedClip(c.clip, Join(Join(Lavfi("testsrc2=s=160x120:r=25:d=3.4"), Lavfi("sine=d=3.4")),
                                                {"-vf", c.filter, "-fps_mode", "passthrough", "-c:v", "libx264",
                                                 "-c:a", "libmp3lame"}));
  const SwfMovie movie = Convert(clip, {"--fps", "25"});
  EXPECT_EQ(movie.frameCount, 85);  // 3.4 s at 25 frames a second
  EXPECT_EQ(TagsWithCode(movie, kShowFrame).size(), 85u);
}

INSTANTIATE_TEST_SUITE_P(Sources, EmptyChunks,
                         testing::Values(ChunkCase{"chunks-h264-mp3.avi", "null"},
                                         // every seventh frame dropped, an empty chunk in its place
                                         ChunkCase{"chunks-h264-dropped.avi", "select='not(eq(mod(n\\,7)\\,3))'"}),
                         [](const auto& info) {
                           const std::string name(info.param.clip);
                           return name.substr(12, name.find('.') - 12);
                         });

}  // namespace
