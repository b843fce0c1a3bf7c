// What decides how pictures look: the display size from the pixel aspect,
// the colour weights of untagged pictures by size, and deinterlacing that
// leaves progressive pictures untouched.
#include <gtest/gtest.h>

#include <vector>

#include "TestClips.h"
#include "media/mcl/DibWriter.h"
#include "media/mcl/FileInfo.h"
#include "media/mcl/mcl.h"

namespace {

TEST(DisplaySize, WidthFollowsThePixelAspectHeightStays) {
  struct Case {
    mcl::PictureSize stored;
    AVRational sampleAspect;
    mcl::PictureSize shown;
  };
  const Case cases[] = {
      {{720, 576}, {64, 45}, {1024, 576}},  // PAL 16:9
      {{720, 576}, {16, 15}, {768, 576}},   // PAL 4:3, DV
      {{720, 480}, {8, 9}, {640, 480}},     // NTSC 4:3
      {{720, 480}, {32, 27}, {853, 480}},   // NTSC 16:9: 853.3
      {{352, 288}, {1, 1}, {352, 288}},
      {{352, 288}, {0, 1}, {352, 288}},  // unknown
      {{352, 288}, {-4, 3}, {352, 288}},  // nonsense
      {{352, 288}, {1, 0}, {352, 288}},
      {{4, 4}, {1, 100}, {1, 4}},                          // never narrower than a pixel
      {{720, 576}, {2147483647, 1}, {1000000, 576}},       // bounded; the stage limit fits it later
  };
  for (const Case& c : cases) {
    const mcl::PictureSize shown = mcl::DisplaySize(c.stored, c.sampleAspect);
    EXPECT_EQ(shown.width, c.shown.width) << c.sampleAspect.num << ":" << c.sampleAspect.den;
    EXPECT_EQ(shown.height, c.shown.height) << c.sampleAspect.num << ":" << c.sampleAspect.den;
  }
}

TEST(ColourMatrix, TaggedAsTaggedUntaggedByPictureSize) {
  struct Case {
    AVColorSpace tag;
    int width;
    int height;
    int matrix;
  };
  const Case cases[] = {
      {AVCOL_SPC_UNSPECIFIED, 1920, 1080, SWS_CS_ITU709}, {AVCOL_SPC_UNSPECIFIED, 1280, 544, SWS_CS_ITU709},
      {AVCOL_SPC_UNSPECIFIED, 960, 720, SWS_CS_ITU709},   {AVCOL_SPC_UNSPECIFIED, 1279, 719, SWS_CS_ITU601},
      {AVCOL_SPC_UNSPECIFIED, 720, 576, SWS_CS_ITU601},   {AVCOL_SPC_RESERVED, 1920, 1080, SWS_CS_ITU709},
      {AVCOL_SPC_BT470BG, 1920, 1080, SWS_CS_ITU601},     {AVCOL_SPC_SMPTE170M, 1920, 1080, SWS_CS_ITU601},
      {AVCOL_SPC_BT709, 720, 576, SWS_CS_ITU709},         {AVCOL_SPC_BT2020_NCL, 3840, 2160, SWS_CS_BT2020},
      {AVCOL_SPC_FCC, 640, 480, SWS_CS_FCC},              {AVCOL_SPC_SMPTE240M, 1920, 1035, SWS_CS_SMPTE240M},
  };
  for (const Case& c : cases) {
    AVFrame frame{};
    frame.format = AV_PIX_FMT_YUV420P;
    frame.colorspace = c.tag;
    frame.width = c.width;
    frame.height = c.height;
    EXPECT_EQ(mcl::ColourMatrixOf(frame), c.matrix) << c.tag << " " << c.width << "x" << c.height;
  }
  AVFrame rgb{};  // scaled through one matrix both ways, whatever its size
  rgb.format = AV_PIX_FMT_BGR0;
  rgb.width = 3000;
  rgb.height = 200;
  EXPECT_EQ(mcl::ColourMatrixOf(rgb), SWS_CS_ITU601);
}

// Every picture's rows, read in order with the given flags.
std::vector<std::vector<unsigned char>> AllPictures(const std::string& clip, int flags) {
  const std::string path = mcltest::Clip(clip);
  SourceFileInfo info{};
  EXPECT_EQ(MclGetFileInfo(path.c_str(), flags, &info, 0, 0), 0) << MclGetErrorStr();
  MclReadHandle reader = MclReadOpen(path.c_str(), flags, 0, 0);
  MclImageHandle image = MclImgCreate();
  std::vector<std::vector<unsigned char>> pictures;
  mcltest::Dib dib(info.width, info.height);
  for (int i = 0; reader != nullptr && i < info.frameCount; ++i) {
    EXPECT_EQ(MclReadImage(reader, i, image), 0) << clip << " frame " << i;
    EXPECT_EQ(mcltest::FetchRows(image, dib), info.height);
    pictures.push_back(dib.rows);
  }
  MclImgFree(image);
  MclReadClose(reader);
  return pictures;
}

TEST(Deinterlacing, ProgressivePicturesPassUntouchedInterlacedOnesNot) {
  const int off = kMclDeinterlaceNone;
  EXPECT_EQ(AllPictures("gray.vob", 0), AllPictures("gray.vob", off));
  const auto interlaced = AllPictures("bars-interlaced.vob", 0);
  const auto woven = AllPictures("bars-interlaced.vob", off);
  ASSERT_EQ(interlaced.size(), woven.size());
  ASSERT_EQ(interlaced.size(), 25u);
  EXPECT_EQ(AllPictures("bars-interlaced.vob", kMclDeinterlaceAll), interlaced) << "the stream marks every picture";
  int changed = 0;
  for (std::size_t i = 0; i < interlaced.size(); ++i) changed += interlaced[i] != woven[i];
  EXPECT_GT(changed, 20);
}

// bwdif looks at the pictures beside each one: where it may run, a reader
// told every few frames it will read leaves none out, and gets the pictures
// of reading every frame; without it, pictures are left out all the same.
TEST(Deinterlacing, PlannedReadsGiveThePicturesOfReadingEveryFrame) {
  struct Case {
    const char* clip;
    int flags;
  };
  const Case cases[] = {
      {"bars-interlaced-b.vob", 0},                    // the container says interlaced
      {"bars-b.vob", kMclDeinterlaceAll},              // progressive, deinterlaced anyway
      {"bars-interlaced-b.vob", kMclDeinterlaceNone},  // no filter
  };
  for (const Case& c : cases) {
    const auto every = AllPictures(c.clip, c.flags);
    ASSERT_EQ(every.size(), 100u) << c.clip;
    const std::string path = mcltest::Clip(c.clip);
    MclReadHandle reader = MclReadOpen(path.c_str(), c.flags, 0, 0);
    ASSERT_NE(reader, nullptr) << c.clip;
    MclImageHandle image = MclImgCreate();
    SourceFileInfo info{};
    ASSERT_EQ(MclGetFileInfo(path.c_str(), c.flags, &info, 0, 0), 0);
    mcltest::Dib dib(info.width, info.height);
    for (int i = 1; i < 100; i += 5) EXPECT_EQ(MclReadPlan(reader, i), 0);
    for (int i = 1; i < 100; i += 5) {
      EXPECT_EQ(MclReadImage(reader, i, image), 0);
      EXPECT_EQ(mcltest::FetchRows(image, dib), info.height);
      EXPECT_TRUE(dib.rows == every[i]) << c.clip << " flags " << c.flags << ": frame " << i;
    }
    MclImgFree(image);
    MclReadClose(reader);
  }
}

}  // namespace
