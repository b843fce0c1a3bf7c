// A video decoder reopened with another number of threads at key frames
// gives the pictures, in the order and with the times, of one never reopened,
// also where the pictures go on through the deinterlacer.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "TestClips.h"
#include "media/mcl/MediaSource.h"
#include "media/mcl/PictureDecoder.h"

namespace {

struct Decoded {
  std::int64_t time;
  std::vector<std::uint8_t> luma;
  bool operator==(const Decoded&) const = default;
};

// Every picture's time and luma rows; with flipEvery > 0 the decoder is asked
// for 2 threads and 1 in turn every flipEvery pictures.
std::vector<Decoded> DecodeAll(const std::string& clip, int flipEvery, int& threadChanges) {
  mcl::MediaSource source;
  EXPECT_EQ(mcl::OpenMediaSource({mcltest::Clip(clip)}, AVMEDIA_TYPE_VIDEO, source), mcl::ErrorKind::kNone);
  mcl::PictureDecoder decoder(source, mcl::DeinterlaceMode::kMarked);
  mcl::FramePtr frame(av_frame_alloc());
  std::vector<Decoded> pictures;
  int threads = source.codec->thread_count;
  while (decoder.Next(frame.get()) == mcl::DecodeStatus::kFrame) {
    Decoded picture{frame->best_effort_timestamp, {}};
    for (int y = 0; y < frame->height; ++y) {
      const std::uint8_t* row = frame->data[0] + y * frame->linesize[0];
      picture.luma.insert(picture.luma.end(), row, row + frame->width);
    }
    pictures.push_back(std::move(picture));
    if (flipEvery > 0 && pictures.size() % flipEvery == 0) decoder.WantThreads(pictures.size() / flipEvery % 2 ? 2 : 1);
    if (source.codec->thread_count != threads) ++threadChanges;
    threads = source.codec->thread_count;
  }
  return pictures;
}

class ThreadSwitchTest : public testing::TestWithParam<const char*> {};

TEST_P(ThreadSwitchTest, ReopenedDecoderGivesThePicturesOfOneNeverReopened) {
  int unused = 0;
  const std::vector<Decoded> once = DecodeAll(GetParam(), 0, unused);
  ASSERT_GT(once.size(), 90u);
  for (const int flipEvery : {7, 13}) {
    int changes = 0;
    const std::vector<Decoded> flipped = DecodeAll(GetParam(), flipEvery, changes);
    EXPECT_GE(changes, 3) << "every " << flipEvery;
    ASSERT_EQ(flipped.size(), once.size()) << "every " << flipEvery;
    for (std::size_t i = 0; i < once.size(); ++i) {
      EXPECT_TRUE(flipped[i] == once[i]) << GetParam() << " every " << flipEvery << ": picture " << i;
    }
  }
}

// MPEG-1 with B-frames (slice threads), MPEG-4 without (frame threads),
// interlaced MPEG-2 with B-frames, deinterlaced.
INSTANTIATE_TEST_SUITE_P(Clips, ThreadSwitchTest, testing::Values("gray.mpg", "mp2.avi", "bars-interlaced-b.vob"),
                         [](const auto& info) {
                           std::string name = info.param;
                           for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

}  // namespace
