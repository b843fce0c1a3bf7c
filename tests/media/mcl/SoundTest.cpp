// Sound by sample position: exact positions, sequential and backward reads,
// channel and sample-size delivery, the end of the sound.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "TestClips.h"
#include "media/mcl/mcl.h"

namespace {

struct ReaderCloser {
  void operator()(MclReader* r) const { MclReadClose(r); }
};
struct SoundFreer {
  void operator()(MclSound* s) const { MclSndFree(s); }
};
using Reader = std::unique_ptr<MclReader, ReaderCloser>;
using Sound = std::unique_ptr<MclSound, SoundFreer>;

struct Block {
  int result;
  int channels;
  int bits;
  std::vector<unsigned char> bytes;

  std::int16_t Sample16(int frame, int channel) const {
    std::int16_t value;
    std::memcpy(&value, bytes.data() + (frame * channels + channel) * 2, 2);  // little-endian host
    return value;
  }
};

Block Read(MclReader* reader, MclSound* sound, std::int64_t first, int count) {
  Block block{};
  block.result = MclReadSound(reader, first, count, sound);
  std::int32_t unused = -1, channels = 0, bits = 0, byteCount = -1;
  const unsigned char* data = nullptr;
  EXPECT_EQ(MclSndGetInfo(sound, &unused, &channels, &bits, &byteCount, &data), 0);
  block.channels = channels;
  block.bits = bits;
  if (byteCount > 0) block.bytes.assign(data, data + byteCount);
  return block;
}

class SoundTest : public ::testing::Test {
 protected:
  Reader Open(const char* clip) { return Reader(MclReadOpen(mcltest::Clip(clip).c_str(), 0, 0, 0)); }
  Sound sound_{MclSndCreate()};
};

// gray.avi: 16-bit stereo at 44100 Hz, silence, then from sample 4410 on left
// 0.5 (16384) and right -0.5 (-16384), for 12 s = 529200 samples.
TEST_F(SoundTest, StepLandsOnItsSamplePosition) {
  Reader reader = Open("gray.avi");
  const Block block = Read(reader.get(), sound_.get(), 4400, 20);
  ASSERT_EQ(block.result, 0);
  ASSERT_EQ(block.channels, 2);
  ASSERT_EQ(block.bits, 16);
  ASSERT_EQ(block.bytes.size(), 20u * 4);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(block.Sample16(i, 0), 0) << "sample " << 4400 + i;
    EXPECT_EQ(block.Sample16(i, 1), 0) << "sample " << 4400 + i;
  }
  for (int i = 10; i < 20; ++i) {
    EXPECT_EQ(block.Sample16(i, 0), 16384) << "sample " << 4400 + i;
    EXPECT_EQ(block.Sample16(i, 1), -16384) << "sample " << 4400 + i;
  }
}

TEST_F(SoundTest, BackwardAndFarReadsFindTheSamePositions) {
  Reader reader = Open("gray.avi");
  EXPECT_EQ(Read(reader.get(), sound_.get(), 400000, 10).Sample16(0, 0), 16384);
  const Block back = Read(reader.get(), sound_.get(), 4409, 2);  // behind everything decoded so far
  ASSERT_EQ(back.bytes.size(), 8u);
  EXPECT_EQ(back.Sample16(0, 0), 0);
  EXPECT_EQ(back.Sample16(1, 0), 16384);
  const Block again = Read(reader.get(), sound_.get(), 4409, 2);
  EXPECT_EQ(again.bytes, back.bytes);
}

class SequentialSoundTest : public SoundTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(SequentialSoundTest, BlocksInOrderEqualOneLongRead) {
  const int total = 44100 * 3;
  Reader whole = Open(GetParam());
  const Block expected = Read(whole.get(), sound_.get(), 0, total);
  ASSERT_EQ(expected.bytes.size(), static_cast<size_t>(total) * 4);
  Reader reader = Open(GetParam());
  Sound sound(MclSndCreate());
  std::vector<unsigned char> joined;
  for (int first = 0; first < total; first += 1764) {  // 25 frames a second at 44100 Hz
    const Block block = Read(reader.get(), sound.get(), first, 1764);
    ASSERT_EQ(block.result, 0);
    joined.insert(joined.end(), block.bytes.begin(), block.bytes.end());
  }
  EXPECT_EQ(joined, expected.bytes);
}

INSTANTIATE_TEST_SUITE_P(Containers, SequentialSoundTest, ::testing::Values("gray.avi", "gray.mpg"),
                         [](const auto& info) { return std::string(info.param).substr(5); });

TEST_F(SoundTest, EndOfSoundDeliversWhatExistsWithoutError) {
  Reader reader = Open("gray.avi");
  const Block tail = Read(reader.get(), sound_.get(), 529200 - 100, 1000);
  EXPECT_EQ(tail.result, 0);
  EXPECT_EQ(tail.bytes.size(), 100u * 4);
  const Block beyond = Read(reader.get(), sound_.get(), 529200 + 10, 1000);
  EXPECT_EQ(beyond.result, 0);
  EXPECT_TRUE(beyond.bytes.empty());
  EXPECT_EQ(MclGetError(), 0);
}

TEST_F(SoundTest, ClipWithoutSoundDeliversNothingWithoutError) {
  Reader reader = Open("halves.avi");
  const Block block = Read(reader.get(), sound_.get(), 0, 2000);
  EXPECT_EQ(block.result, 0);
  EXPECT_TRUE(block.bytes.empty());
  EXPECT_EQ(MclGetError(), 0);
}

TEST_F(SoundTest, MonoStaysMono) {
  Reader reader = Open("mono.avi");
  const Block block = Read(reader.get(), sound_.get(), 4409, 2);
  ASSERT_EQ(block.channels, 1);
  ASSERT_EQ(block.bits, 16);
  ASSERT_EQ(block.bytes.size(), 4u);
  EXPECT_EQ(block.Sample16(0, 0), 0);
  EXPECT_EQ(block.Sample16(1, 0), 16384);
}

TEST_F(SoundTest, EightBitUnsignedSourceStaysEightBit) {
  Reader reader = Open("u8.avi");
  const Block block = Read(reader.get(), sound_.get(), 4409, 2);
  ASSERT_EQ(block.channels, 2);
  ASSERT_EQ(block.bits, 8);
  // Silence is 128; +0.5 is 128 + 64, -0.5 is 128 - 64.
  EXPECT_EQ(block.bytes, (std::vector<unsigned char>{128, 128, 192, 64}));
}

TEST_F(SoundTest, SixChannelsAreMixedDownToStereo) {
  Reader reader = Open("six.avi");
  const Block block = Read(reader.get(), sound_.get(), 4409, 2);
  ASSERT_EQ(block.channels, 2);
  ASSERT_EQ(block.bits, 16);
  ASSERT_EQ(block.bytes.size(), 8u);
  EXPECT_EQ(block.Sample16(0, 0), 0);
  EXPECT_GT(block.Sample16(1, 0), 4000);  // at least the front channel's 0.25 share arrives
  EXPECT_EQ(block.Sample16(1, 0), block.Sample16(1, 1));
}

TEST_F(SoundTest, DvdSoundIsDeliveredAsStereo) {
  Reader reader = Open("gray.vob");
  const Block block = Read(reader.get(), sound_.get(), 48000, 4800);
  EXPECT_EQ(block.result, 0);
  EXPECT_EQ(block.channels, 2);
  EXPECT_EQ(block.bits, 16);
  EXPECT_EQ(block.bytes.size(), 4800u * 4);
}

}  // namespace
