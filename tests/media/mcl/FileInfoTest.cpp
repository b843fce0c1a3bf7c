// File information: exact frame counts, real rates, delivered sizes.
#include <gtest/gtest.h>

#include "TestClips.h"
#include "tests/support/ClipMaker.h"
#include "media/mcl/FileInfo.h"
#include "media/mcl/mcl.h"

namespace {

struct InfoCase {
  const char* clip;
  double frameRate;
  int width;
  int height;
  double audioRate;
};

class FileInfoTest : public ::testing::TestWithParam<InfoCase> {};

TEST_P(FileInfoTest, ReportsCountRateSizeAndSoundRate) {
  const InfoCase& c = GetParam();
  const std::string path = mcltest::Clip(c.clip);
  SourceFileInfo info{};
  ASSERT_EQ(MclGetFileInfo(path.c_str(), 0, &info, 0, 0), 0) << MclGetErrorStr();
  EXPECT_EQ(MclGetError(), 0);
  EXPECT_EQ(info.frameCount, FfprobeFrameCount(path));
  EXPECT_DOUBLE_EQ(info.frameRate, c.frameRate);
  EXPECT_EQ(info.width, c.width);
  EXPECT_EQ(info.height, c.height);
  EXPECT_DOUBLE_EQ(info.audioSampleRate, c.audioRate);
}

INSTANTIATE_TEST_SUITE_P(Clips, FileInfoTest,
                         ::testing::Values(InfoCase{"gray.avi", 25.0, 160, 120, 44100.0},
                                           InfoCase{"gray.mpg", 25.0, 160, 120, 44100.0},
                                           InfoCase{"gray.vob", 30000.0 / 1001.0, 160, 120, 48000.0},
                                           InfoCase{"halves.avi", 25.0, 160, 120, 0.0},
                                           InfoCase{"odd.avi", 25.0, 321, 179, 0.0},
                                           InfoCase{"wide.avi", 25.0, 2880, 192, 0.0}),
                         [](const auto& info) {
                           std::string name = info.param.clip;
                           for (char& ch : name) ch = ch == '.' ? '_' : ch;
                           return name;
                         });

TEST(FileInfoCounts, KnowsTheLengthsTheClipsWereMadeWith) {
  // 12 s at 25 fps and 6 s at 30000/1001 fps: checks ffprobe's figure too.
  SourceFileInfo info{};
  ASSERT_EQ(MclGetFileInfo(mcltest::Clip("gray.mpg").c_str(), 0, &info, 0, 0), 0);
  EXPECT_EQ(info.frameCount, 300);
  ASSERT_EQ(MclGetFileInfo(mcltest::Clip("gray.vob").c_str(), 0, &info, 0, 0), 0);
  EXPECT_EQ(info.frameCount, 180);
}

struct SizeCase {
  mcl::PictureSize source;
  mcl::PictureSize delivered;
};

TEST(DeliveredSize, FitsLargePicturesInsideTheLargestStageKeepingAspect) {
  const SizeCase cases[] = {
      {{160, 120}, {160, 120}},                                    // small: unchanged
      {{2880, 2880}, {2880, 2880}},                                // exactly the limit: unchanged
      {{3000, 200}, {2880, 192}},                                  // 200 * 2880 / 3000 = 192
      {{200, 3000}, {192, 2880}},   {{5760, 3240}, {2880, 1620}},  // half
      {{3841, 2161}, {2880, 1620}},                                // 2161 * 0.74980 = 1620.3 -> 1620
      {{100000, 10}, {2880, 1}},                                   // 0.288 rounds to 0, kept at one pixel
      {{2881, 1}, {2880, 1}},
  };
  for (const SizeCase& c : cases) {
    const mcl::PictureSize got = mcl::DeliveredSize(c.source);
    EXPECT_EQ(got.width, c.delivered.width) << c.source.width << "x" << c.source.height;
    EXPECT_EQ(got.height, c.delivered.height) << c.source.width << "x" << c.source.height;
  }
}

}  // namespace
