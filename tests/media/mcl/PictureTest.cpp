// Pictures by index: colours, row order, sizes, and the same pixels whether
// frames are read in order or with jumps.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <thread>
#include <vector>

#include "TestClips.h"
#include "media/mcl/mcl.h"

namespace {

struct ReaderCloser {
  void operator()(MclReader* r) const { MclReadClose(r); }
};
struct ImageFreer {
  void operator()(MclImage* i) const { MclImgFree(i); }
};
using Reader = std::unique_ptr<MclReader, ReaderCloser>;
using Image = std::unique_ptr<MclImage, ImageFreer>;

Reader Open(const std::string& clip) { return Reader(MclReadOpen(mcltest::Clip(clip).c_str(), 0, 0, 0)); }

void ExpectBgr(const unsigned char* pixel, int b, int g, int r, int tolerance, const char* where) {
  EXPECT_NEAR(pixel[0], b, tolerance) << where << ": blue";
  EXPECT_NEAR(pixel[1], g, tolerance) << where << ": green";
  EXPECT_NEAR(pixel[2], r, tolerance) << where << ": red";
}

// Clips whose top half is red and bottom half blue: the first stored row must
// be blue (bottom-up) and bytes run blue, green, red.
struct HalvesCase {
  const char* clip;
  int width;
  int height;
  int tolerance;  // mpeg4 is lossy, ffv1 in RGB is exact
};

class HalvesTest : public ::testing::TestWithParam<HalvesCase> {};

TEST_P(HalvesTest, DeliversBgrRowsBottomFirst) {
  const HalvesCase& c = GetParam();
  Reader reader = Open(c.clip);
  ASSERT_TRUE(reader) << MclGetErrorStr();
  Image image(MclImgCreate());
  ASSERT_EQ(MclReadImage(reader.get(), 0, image.get()), 0);
  mcltest::Dib dib(c.width, c.height);
  ASSERT_EQ(mcltest::FetchRows(image.get(), dib), c.height);
  const int margin = c.height / 8;  // away from the scaled or chroma-blurred border
  for (int x : {0, c.width / 2, c.width - 1}) {
    ExpectBgr(dib.Pixel(x, 0), 255, 0, 0, c.tolerance, "bottom row");
    ExpectBgr(dib.Pixel(x, c.height / 2 - margin), 255, 0, 0, c.tolerance, "lower half");
    ExpectBgr(dib.Pixel(x, c.height / 2 + margin), 0, 0, 255, c.tolerance, "upper half");
    ExpectBgr(dib.Pixel(x, c.height - 1), 0, 0, 255, c.tolerance, "top row");
  }
}

INSTANTIATE_TEST_SUITE_P(Clips, HalvesTest,
                         ::testing::Values(HalvesCase{"halves.avi", 160, 120, 12},
                                           HalvesCase{"odd.avi", 321, 179, 0},  // rows padded to 964 bytes
                                           HalvesCase{"wide.avi", 2880, 192, 2}));

TEST(PartialRows, LineZeroIsTheBottomRow) {
  Reader reader = Open("odd.avi");
  Image image(MclImgCreate());
  ASSERT_EQ(MclReadImage(reader.get(), 0, image.get()), 0);
  mcltest::Dib dib(321, 179);
  MclBitmapHandle bitmap = MclImgToDIB(image.get());
  // Lines 0..9 are bottom (blue) rows; lines 169..178 the top (red) ones.
  EXPECT_EQ(MclGetDIBits(bitmap, 0, 10, dib.rows.data(), &dib.info), 10);
  ExpectBgr(dib.Pixel(5, 9), 255, 0, 0, 0, "line 9");
  EXPECT_EQ(MclGetDIBits(bitmap, 169, 50, dib.rows.data(), &dib.info), 10);  // cut at the top
  ExpectBgr(dib.Pixel(5, 0), 0, 0, 255, 0, "line 169");
  ExpectBgr(dib.Pixel(5, 9), 0, 0, 255, 0, "line 178");
  EXPECT_EQ(MclGetDIBits(bitmap, 179, 1, dib.rows.data(), &dib.info), 0);
  MclReleaseDIB(bitmap);
}

TEST(Pictures, BitmapOfAnImageNeverReadHasNoLines) {
  Image image(MclImgCreate());
  mcltest::Dib dib(16, 16);
  EXPECT_EQ(mcltest::FetchRows(image.get(), dib), 0);
}

// Frame n of the gray clips has its own brightness, so a picture tells its index.
std::vector<unsigned char> ReadFrame(MclReader* reader, MclImage* image, int index) {
  mcltest::Dib dib(160, 120);
  EXPECT_EQ(MclReadImage(reader, index, image), 0) << "frame " << index << ": " << MclGetErrorStr();
  EXPECT_EQ(mcltest::FetchRows(image, dib), 120);
  return dib.rows;
}

class SeekTest : public ::testing::TestWithParam<const char*> {};

TEST_P(SeekTest, JumpsGiveTheSamePixelsAsReadingInOrder) {
  const std::string clip = GetParam();
  SourceFileInfo info{};
  ASSERT_EQ(MclGetFileInfo(mcltest::Clip(clip).c_str(), 0, &info, 0, 0), 0);
  const int last = info.frameCount - 1;
  const std::vector<int> jumps{last - 20, 13, last, 5, 150, 151, 0, last - 1, 100, 99, 37, 90, 1};
  std::map<int, std::vector<unsigned char>> inOrder;
  {
    Reader reader = Open(clip);
    Image image(MclImgCreate());
    for (int i = 0; i <= last; ++i) {
      ASSERT_EQ(MclReadImage(reader.get(), i, image.get()), 0) << "frame " << i;
      for (int wanted : jumps) {
        if (wanted == i) inOrder[i] = ReadFrame(reader.get(), image.get(), i);
      }
    }
  }
  Reader reader = Open(clip);
  Image image(MclImgCreate());
  for (int index : jumps) {
    const std::vector<unsigned char> rows = ReadFrame(reader.get(), image.get(), index);
    EXPECT_EQ(rows, inOrder[index]) << clip << " frame " << index;
    EXPECT_NEAR(rows[60 * 480 + 240], mcltest::GrayLevelOfFrame(index), 5) << clip << " frame " << index;
  }
}

INSTANTIATE_TEST_SUITE_P(Containers, SeekTest,
                         ::testing::Values("gray.avi", "gray.mpg", "gray.vob", "gray-interlaced.vob"),
                         [](const auto& info) {
                           std::string name = std::string(info.param).substr(5);
                           for (char& ch : name) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                           return name;
                         });

// A reader told the frames it will read leaves out B-frames none of them
// shows; every frame read still has the picture of decoding them all, also a
// frame read without being told.
TEST_P(SeekTest, PlannedReadsGiveThePicturesOfDecodingEveryFrame) {
  const std::string clip = GetParam();
  SourceFileInfo info{};
  ASSERT_EQ(MclGetFileInfo(mcltest::Clip(clip).c_str(), 0, &info, 0, 0), 0);
  std::vector<std::vector<unsigned char>> all;
  {
    Reader reader = Open(clip);
    Image image(MclImgCreate());
    for (int i = 0; i < info.frameCount; ++i) all.push_back(ReadFrame(reader.get(), image.get(), i));
  }
  struct Plan {
    int first, step, strayAt;  // strayAt: read before the plan's frame there, untold (-1: none)
  };
  for (const Plan plan : {Plan{0, 5, -1}, Plan{2, 3, -1}, Plan{1, 7, -1}, Plan{0, 4, 62}}) {
    Reader reader = Open(clip);
    Image image(MclImgCreate());
    for (int i = plan.first; i < info.frameCount; i += plan.step) ASSERT_EQ(MclReadPlan(reader.get(), i), 0);
    for (int i = plan.first; i < info.frameCount; i += plan.step) {
      if (plan.strayAt >= 0 && i > plan.strayAt && i - plan.step <= plan.strayAt) {
        EXPECT_EQ(ReadFrame(reader.get(), image.get(), plan.strayAt), all[plan.strayAt]) << clip << " stray";
      }
      EXPECT_EQ(ReadFrame(reader.get(), image.get(), i), all[i]) << clip << " every " << plan.step << ": frame " << i;
    }
  }
}

// A reader slower than decoding has its pictures decoded on its own thread
// for stretches; the pictures stay those of a fast reader.
TEST(Pictures, SlowReaderGetsThePicturesOfAFastOne) {
  SourceFileInfo info{};
  ASSERT_EQ(MclGetFileInfo(mcltest::Clip("gray.mpg").c_str(), 0, &info, 0, 0), 0);
  std::vector<std::vector<unsigned char>> pictures[2];
  for (const bool slow : {false, true}) {
    Reader reader = Open("gray.mpg");
    Image image(MclImgCreate());
    for (int i = 0; i < info.frameCount; ++i) {
      if (slow) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      pictures[slow].push_back(ReadFrame(reader.get(), image.get(), i));
    }
  }
  ASSERT_GT(pictures[0].size(), 120u);  // long enough to be judged slow more than once
  for (std::size_t i = 0; i < pictures[0].size(); ++i) EXPECT_EQ(pictures[1][i], pictures[0][i]) << "frame " << i;
}

TEST(Pictures, PastTheLastFrameFailsWithoutAnError) {
  SourceFileInfo info{};
  ASSERT_EQ(MclGetFileInfo(mcltest::Clip("gray.mpg").c_str(), 0, &info, 0, 0), 0);
  Reader reader = Open("gray.mpg");
  Image image(MclImgCreate());
  EXPECT_EQ(MclReadImage(reader.get(), info.frameCount - 2, image.get()), 0);
  EXPECT_NE(MclReadImage(reader.get(), info.frameCount, image.get()), 0);
  EXPECT_EQ(MclGetError(), 0);
  EXPECT_NE(MclReadImage(reader.get(), info.frameCount + 500, image.get()), 0);
  EXPECT_NE(MclReadImage(reader.get(), -1, image.get()), 0);
  EXPECT_EQ(MclGetError(), 0);
  // The end is not a dead end: earlier frames can still be read.
  const std::vector<unsigned char> rows = ReadFrame(reader.get(), image.get(), info.frameCount - 1);
  EXPECT_NEAR(rows[240], mcltest::GrayLevelOfFrame(info.frameCount - 1), 5);
}

TEST(Pictures, ImageKeepsItsFrameWhileTheReaderMovesOn) {
  Reader reader = Open("gray.avi");
  Image first(MclImgCreate());
  Image second(MclImgCreate());
  ASSERT_EQ(MclReadImage(reader.get(), 3, first.get()), 0);
  ASSERT_EQ(MclReadImage(reader.get(), 4, second.get()), 0);
  mcltest::Dib dib(160, 120);
  ASSERT_EQ(mcltest::FetchRows(first.get(), dib), 120);
  EXPECT_NEAR(dib.rows[240], mcltest::GrayLevelOfFrame(3), 5);
}

}  // namespace
