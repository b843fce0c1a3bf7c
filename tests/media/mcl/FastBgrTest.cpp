// Rows delivered for 4:2:0 pictures are byte-identical to swscale's own
// conversion of each frame on its own, whether the fast conversion took over
// (even heights) or not (odd heights, where swscale rounds otherwise), for
// every small width, both ranges and each matrix, from the first frame
// through one context to the third; and the fast conversion writes nothing
// past a row.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "media/mcl/DibWriter.h"
#include "media/mcl/FastBgr.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace {

using mcl::FramePtr;

struct Kind {
  AVPixelFormat format;
  AVColorSpace matrix;
  AVColorRange range;
};

constexpr Kind kKinds[] = {
    {AV_PIX_FMT_YUV420P, AVCOL_SPC_BT470BG, AVCOL_RANGE_MPEG},
    {AV_PIX_FMT_YUV420P, AVCOL_SPC_BT709, AVCOL_RANGE_JPEG},
    {AV_PIX_FMT_YUVJ420P, AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_JPEG},
    // Untagged: BT.709 weights from HD sizes on, BT.601 below.
    {AV_PIX_FMT_YUV420P, AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_MPEG},
    {AV_PIX_FMT_YUV420P, AVCOL_SPC_BT2020_NCL, AVCOL_RANGE_MPEG},
};

FramePtr RandomFrame(const Kind& kind, int width, int height, std::mt19937& random) {
  FramePtr frame(av_frame_alloc());
  frame->format = kind.format;
  frame->width = width;
  frame->height = height;
  frame->colorspace = kind.matrix;
  frame->color_range = kind.range;
  EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
  for (int plane = 0; plane < 3; ++plane) {
    const int rows = plane == 0 ? height : (height + 1) / 2;
    for (int y = 0; y < rows * frame->linesize[plane]; ++y) frame->data[plane][y] = static_cast<std::uint8_t>(random());
  }
  return frame;
}

// swscale's conversion of the frame through a cache of its own, top row first, packed.
std::vector<std::uint8_t> SwscaleRows(const AVFrame& frame) {
  mcl::ScalerCache swscaleOnly;
  swscaleOnly.fastAllowed = false;
  DibInfoHeader info{};
  info.width = frame.width;
  info.height = -frame.height;  // top row first
  const int stride = (frame.width * 3 + 3) / 4 * 4;
  std::vector<std::uint8_t> padded(static_cast<std::size_t>(stride) * frame.height);
  EXPECT_EQ(mcl::WriteDibRows(swscaleOnly, frame, 0, frame.height, padded.data(), info), frame.height);
  EXPECT_FALSE(swscaleOnly.fastWeights);
  const auto rowBytes = static_cast<std::size_t>(frame.width) * 3;
  std::vector<std::uint8_t> rows(rowBytes * frame.height);
  for (int y = 0; y < frame.height; ++y) std::memcpy(&rows[y * rowBytes], &padded[y * stride], rowBytes);
  return rows;
}

// Two pictures through one cache, whole and from line 1 on; rows bottom-up
// and padded. Returns whether the fast conversion took over.
bool ExpectRowsMatchSwscale(const Kind& kind, int width, int height, std::mt19937& random) {
  SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) + " " + av_get_pix_fmt_name(kind.format) +
               " matrix " + std::to_string(kind.matrix) + " range " + std::to_string(kind.range));
  mcl::ScalerCache cache;
  DibInfoHeader info{};
  info.width = width;
  info.height = height;
  const int stride = (width * 3 + 3) / 4 * 4;
  const auto rowBytes = static_cast<std::size_t>(width) * 3;
  for (const int firstLine : {0, 0, 1}) {
    if (firstLine >= height) continue;
    const FramePtr frame = RandomFrame(kind, width, height, random);
    const std::vector<std::uint8_t> reference = SwscaleRows(*frame);
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(stride) * height, 0xA5);
    EXPECT_EQ(mcl::WriteDibRows(cache, *frame, firstLine, height, rows.data(), info), height - firstLine);
    for (int line = firstLine; line < height; ++line) {
      const std::uint8_t* row = &rows[(line - firstLine) * stride];
      const std::uint8_t* expected = &reference[(height - 1 - line) * rowBytes];
      EXPECT_EQ(std::memcmp(row, expected, rowBytes), 0) << "line " << line << " from " << firstLine;
      for (int pad = static_cast<int>(rowBytes); pad < stride; ++pad)
        EXPECT_EQ(row[pad], 0) << "padding of line " << line;
    }
  }
  return cache.fastWeights.has_value();
}

TEST(FastBgr, RowsMatchSwscaleForEverySmallWidth) {
  std::mt19937 random(7);
  for (const Kind& kind : kKinds) {
    for (int height : {2, 9, 16}) {
      for (int width = 1; width <= 64; ++width) {
        const bool fast = ExpectRowsMatchSwscale(kind, width, height, random);
        if (mcl::FastBgrSupported() && height % 2 == 0) {
          EXPECT_TRUE(fast) << width << "x" << height;
        }
      }
    }
  }
}

TEST(FastBgr, RowsMatchSwscaleForCommonSizes) {
  std::mt19937 random(11);
  for (const Kind& kind : kKinds) {
    for (const auto& [width, height] : {std::pair{200, 150}, {360, 240}, {720, 576}, {1280, 720}}) {
      const bool fast = ExpectRowsMatchSwscale(kind, width, height, random);
      if (mcl::FastBgrSupported()) {
        EXPECT_TRUE(fast) << width << "x" << height;
      }
    }
  }
}

// Straight into rows with room after them: every byte of each row is
// written, none after it.
TEST(FastBgr, WritesWholeRowsAndNothingPastThem) {
  if (!mcl::FastBgrSupported()) GTEST_SKIP() << "no AVX2 on this processor";
  std::mt19937 random(3);
  constexpr int kGuard = 40;
  for (int width : {1, 31, 32, 33, 47, 720}) {
    const FramePtr frame = RandomFrame(kKinds[0], width, 4, random);
    const auto rowBytes = static_cast<std::size_t>(width) * 3;
    const std::size_t stride = rowBytes + kGuard;
    std::vector<std::uint8_t> rows(stride * 4, 0xA5);
    int table[4] = {};
    std::memcpy(table, sws_getCoefficients(SWS_CS_ITU601), sizeof table);
    mcl::ConvertToBgr(*frame, mcl::WeightsFor(table, false, 0, 1 << 16, 1 << 16), rows.data(),
                      static_cast<std::ptrdiff_t>(stride));
    const std::vector<std::uint8_t> reference = SwscaleRows(*frame);
    for (int y = 0; y < 4; ++y) {
      EXPECT_EQ(std::memcmp(&rows[y * stride], &reference[y * rowBytes], rowBytes), 0) << width << " row " << y;
      for (std::size_t k = rowBytes; k < stride; ++k) ASSERT_EQ(rows[y * stride + k], 0xA5) << width << " row " << y;
    }
  }
}

}  // namespace
