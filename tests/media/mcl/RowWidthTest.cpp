// Pictures of every small width and the common sizes: each converted picture
// matches ffmpeg's own conversion of the same frame, and nothing is written
// past the rows. swscale's vector code writes beyond a row's end, which once
// overran the rows of narrow pictures and garbled the left columns of others.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "TestClips.h"
#include "tests/support/ClipMaker.h"
#include "media/mcl/mcl.h"

namespace {

struct Size {
  int width;
  int height;
};

constexpr int kFrames = 2;
constexpr std::size_t kGuard = 256;
constexpr unsigned char kGuardByte = 0xA5;

std::string Name(const Size& size) { return std::to_string(size.width) + "x" + std::to_string(size.height); }

// One ffmpeg run: per size a lossless clip with yuv420p pictures, and
// ffmpeg's BGR conversion of the same pictures as the reference.
std::string MakeClips(const std::string& name, const std::vector<Size>& sizes) {
  std::string graph = "[0:v]split=" + std::to_string(sizes.size());
  for (std::size_t i = 0; i < sizes.size(); ++i) graph += "[s" + std::to_string(i) + "]";
  std::vector<std::string> outputs;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const std::string n = std::to_string(i);
    const std::string size = Name(sizes[i]);
    // Untagged HD pictures are converted with BT.709's weights, as players do.
    const bool hd = sizes[i].width >= 1280 || sizes[i].height >= 720;
    graph += ";[s" + n + "]scale=" + std::to_string(sizes[i].width) + ":" + std::to_string(sizes[i].height) +
             ",format=yuv420p,split[c" + n + "][y" + n + "];[y" + n + "]" +
             (hd ? "scale=in_color_matrix=bt709" : "null") + "[r" + n + "]";
    outputs.insert(outputs.end(), {"-map", "[c" + n + "]", "-c:v", "ffv1", size + ".avi", "-map", "[r" + n + "]", "-f",
                                   "rawvideo", "-pix_fmt", "bgr24", size + ".bgr"});
  }
  std::vector<std::string> args = {
      "-f", "lavfi", "-i", "testsrc2=s=320x240:r=25:d=" + std::to_string((kFrames - 0.5) / 25), "-filter_complex",
      graph};
  args.insert(args.end(), outputs.begin(), outputs.end());
  return CachedClipFolder(name, args).string();
}

double Luma(const unsigned char* bgr) { return 0.114 * bgr[0] + 0.587 * bgr[1] + 0.299 * bgr[2]; }

// Luma PSNR of stored rows (bottom row first, padded) against a top-down packed picture.
double LumaPsnr(const std::vector<unsigned char>& rows, int stride, const unsigned char* reference, const Size& size) {
  double squares = 0;
  for (int y = 0; y < size.height; ++y) {
    const unsigned char* row = rows.data() + static_cast<std::ptrdiff_t>(size.height - 1 - y) * stride;
    for (int x = 0; x < size.width; ++x) {
      const double d = Luma(row + 3 * x) - Luma(reference + (static_cast<std::ptrdiff_t>(y) * size.width + x) * 3);
      squares += d * d;
    }
  }
  const double mean = squares / (static_cast<double>(size.width) * size.height);
  return mean == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mean);
}

void ExpectFramesMatchFfmpeg(const std::string& folder, const Size& size) {
  SCOPED_TRACE(Name(size));
  const std::string base = folder + "/" + Name(size);
  std::ifstream in(base + ".bgr", std::ios::binary);
  const std::vector<unsigned char> reference{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::size_t pictureBytes = static_cast<std::size_t>(size.width) * size.height * 3;
  ASSERT_EQ(reference.size(), pictureBytes * kFrames);
  std::unique_ptr<MclReader, void (*)(MclReader*)> reader(MclReadOpen((base + ".avi").c_str(), 0, 0, 0), MclReadClose);
  ASSERT_TRUE(reader) << MclGetErrorStr();
  std::unique_ptr<MclImage, void (*)(MclImage*)> image(MclImgCreate(), MclImgFree);
  mcltest::Dib dib(size.width, size.height);
  const std::size_t rowBytes = dib.rows.size();
  for (int frame = 0; frame < kFrames; ++frame) {
    dib.rows.assign(rowBytes + kGuard, kGuardByte);
    ASSERT_EQ(MclReadImage(reader.get(), frame, image.get()), 0) << MclGetErrorStr();
    ASSERT_EQ(mcltest::FetchRows(image.get(), dib), size.height);
    for (std::size_t i = rowBytes; i < dib.rows.size(); ++i) {
      ASSERT_EQ(dib.rows[i], kGuardByte) << "written " << i - rowBytes << " bytes past the rows";
    }
    EXPECT_GE(LumaPsnr(dib.rows, dib.stride, reference.data() + frame * pictureBytes, size), 30.0) << "frame " << frame;
  }
}

TEST(RowWidths, EveryWidthFrom1To64MatchesFfmpeg) {
  std::vector<Size> sizes;
  for (int height : {1, 9, 31}) {
    for (int width = 1; width <= 64; ++width) sizes.push_back({width, height});
  }
  const std::string folder = MakeClips("widths", sizes);
  for (const Size& size : sizes) ExpectFramesMatchFfmpeg(folder, size);
}

TEST(RowWidths, CommonSizesMatchFfmpeg) {
  const std::vector<Size> sizes{{200, 150}, {360, 240}, {424, 240}, {426, 240}, {640, 360}, {854, 480}, {1280, 720}};
  const std::string folder = MakeClips("sizes", sizes);
  for (const Size& size : sizes) ExpectFramesMatchFfmpeg(folder, size);
}

}  // namespace
