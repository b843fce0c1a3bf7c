// Pictures by time on the video's clock, and sources whose pictures or sound
// cannot be decoded.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "TestClips.h"
#include "media/mcl/mcl.h"
#include "tests/support/ClipMaker.h"

namespace {

namespace fs = std::filesystem;

int GrayAt(MclReadHandle reader, MclImageHandle image, int frame) {
  if (MclReadImage(reader, frame, image) != 0) return -1;
  mcltest::Dib dib(160, 120);
  mcltest::FetchRows(image, dib);
  return dib.Pixel(80, 60)[0];
}

// MPEG-4 and H.264 (whose AVI packets carry only the decoding time).
class DroppedFrames : public testing::TestWithParam<const char*> {};

TEST_P(DroppedFrames, ShowThePictureBeforeThemForwardAndAfterSeeks) {
  const std::string path = mcltest::Clip(GetParam());
  SourceFileInfo info{};
  ASSERT_EQ(MclGetFileInfo(path.c_str(), 0, &info, 0, 0), 0) << MclGetErrorStr();
  EXPECT_EQ(info.frameCount, 100);
  MclReadHandle reader = MclReadOpen(path.c_str(), 0, 0, 0);
  ASSERT_NE(reader, nullptr);
  MclImageHandle image = MclImgCreate();
  std::vector<int> order;
  for (int i = 0; i < 100; ++i) order.push_back(i);
  order.insert(order.end(), {60, 30, 19, 41, 5, 99, 20});
  for (int frame : order) {
    const int shown = frame >= 20 && frame <= 40 ? 19 : frame;
    EXPECT_NEAR(GrayAt(reader, image, frame), mcltest::GrayLevelOfFrame(shown), 5) << "frame " << frame;
  }
  EXPECT_NE(MclReadImage(reader, 100, image), 0);
  MclImgFree(image);
  MclReadClose(reader);
}

INSTANTIATE_TEST_SUITE_P(Codecs, DroppedFrames, testing::Values("dropped.avi", "dropped-h264.avi"),
                         [](const auto& info) { 
                           return std::string(info.param).find("h264") != std::string::npos ? "H264" : "Mpeg4";
                         });

struct Spoilt {
  const char* name;
  const char* stream;
  int fromPacket;
  int framesRead;  // -1: the source does not open
};

void PrintTo(const Spoilt& s, std::ostream* os) { *os << s.name; }

class SpoiltStream : public testing::TestWithParam<Spoilt> {};

TEST_P(SpoiltStream, FailsWhereTheDecodableDataEnds) {
  const Spoilt& s = GetParam();
  const fs::path path = mcltest::ScratchPath(std::string("spoilt-") + s.name + ".avi");
  fs::copy_file(mcltest::Clip("mp2.avi"), path, fs::copy_options::overwrite_existing);
  SpoilPackets(path, s.stream, s.fromPacket);
  SourceFileInfo info{};
  MclGetFileInfo(path.c_str(), 0, &info, 0, 0);
  MclReadHandle reader = MclReadOpen(path.c_str(), 0, 0, 0);
  if (s.framesRead < 0) {
    EXPECT_EQ(reader, nullptr);
    EXPECT_NE(std::string(MclGetErrorStr()).find("Kein Bild der Datei lässt sich lesen."), std::string::npos);
    return;
  }
  ASSERT_NE(reader, nullptr) << MclGetErrorStr();
  MclImageHandle image = MclImgCreate();
  MclSoundHandle sound = MclSndCreate();
  int frames = 0;
  while (frames < 100 && MclReadImage(reader, frames, image) == 0) ++frames;
  EXPECT_EQ(frames, s.framesRead);
  // Pictures that stop early are an error, not the end.
  if (frames < 100) {
    EXPECT_NE(MclGetError(), 0);
  }
  const bool soundSpoilt = std::string(s.stream) == "a:0";
  EXPECT_EQ(MclReadSound(reader, 0, 4410, sound) != 0, soundSpoilt);
  MclSndFree(sound);
  MclImgFree(image);
  MclReadClose(reader);
}

INSTANTIATE_TEST_SUITE_P(Sources, SpoiltStream,
                         testing::Values(Spoilt{"everyPicture", "v:0", 0, -1}, Spoilt{"secondHalf", "v:0", 50, 50},
                                         Spoilt{"sound", "a:0", 0, 100}),
                         [](const testing::TestParamInfo<Spoilt>& info) { return std::string(info.param.name); });

}  // namespace
