// The sound track: sample conversions, nearest-sample picking, block sizes,
// the stream head and silence where the source has nothing.
#include "convert/SoundTrack.h"
#include "tests/convert/ConversionFixture.h"

namespace {

TEST(SampleValues, To8KeepsTheHighByteAndShiftsToUnsigned) {
  EXPECT_EQ(to8(-32768), 0);
  EXPECT_EQ(to8(-1), 127);  // -1 >> 8 is -1
  EXPECT_EQ(to8(0), 128);
  EXPECT_EQ(to8(255), 128);
  EXPECT_EQ(to8(256), 129);
  EXPECT_EQ(to8(32767), 255);
}

TEST(SampleValues, To16CentresAndScales) {
  EXPECT_EQ(to16(0), -32768);
  EXPECT_EQ(to16(127), -256);
  EXPECT_EQ(to16(128), 0);
  EXPECT_EQ(to16(255), 32512);
}

// Two source frames: for 8-bit, L = 0x10, 0x20 and R = 0xF0, 0xE0; for
// 16-bit, L = 0x1234, -0x0100 (FF00) and R = 0x7FFF, -0x8000 (8000).
struct TableRow {
  const char* name;
  int bits, channels;
  bool out16, outStereo;
  std::vector<std::uint8_t> expected;  // two output frames
};

std::vector<std::uint8_t> SourceBytes(int bits, int channels) {
  if (bits == 8)
    return channels == 1 ? std::vector<std::uint8_t>{0x10, 0x20} : std::vector<std::uint8_t>{0x10, 0xF0, 0x20, 0xE0};
  if (channels == 1) return {0x34, 0x12, 0x00, 0xFF};
  return {0x34, 0x12, 0xFF, 0x7F, 0x00, 0xFF, 0x00, 0x80};
}

class ConversionTable : public ::testing::TestWithParam<TableRow> {};

TEST_P(ConversionTable, WritesEachOutputFormatFromEachSourceFormat) {
  const TableRow& row = GetParam();
  const std::vector<std::uint8_t> source = SourceBytes(row.bits, row.channels);
  std::vector<std::uint8_t> out(row.expected.size(), 0xAA);
  ConvertSamples(SourceSamples{source.data(), 2, row.channels, row.bits}, OutputFormat{row.out16, row.outStereo}, 2,
                 out.data());
  EXPECT_EQ(out, row.expected);
}

// to16(0x10) = -0x7000 (00 90), to16(0x20) = -0x6000 (00 A0), to16(0xF0) =
// 0x7000 (00 70), to16(0xE0) = 0x6000 (00 60); to8(0x1234) = 0x12 + 0x80 = 0x92,
// to8(-0x100) = 0xFF + 0x80 = 0x7F, to8(0x7FFF) = 0xFF, to8(-0x8000) = 0x00.
INSTANTIATE_TEST_SUITE_P(
    EveryRow, ConversionTable,
    ::testing::Values(TableRow{"m8_to_m8", 8, 1, false, false, {0x10, 0x20}},
                      TableRow{"s8_to_m8", 8, 2, false, false, {0x10, 0x20}},
                      TableRow{"m16_to_m8", 16, 1, false, false, {0x92, 0x7F}},
                      TableRow{"s16_to_m8", 16, 2, false, false, {0x92, 0x7F}},
                      TableRow{"m8_to_s8", 8, 1, false, true, {0x10, 0x10, 0x20, 0x20}},
                      TableRow{"s8_to_s8", 8, 2, false, true, {0x10, 0xF0, 0x20, 0xE0}},
                      TableRow{"m16_to_s8", 16, 1, false, true, {0x92, 0x92, 0x7F, 0x7F}},
                      TableRow{"s16_to_s8", 16, 2, false, true, {0x92, 0xFF, 0x7F, 0x00}},
                      TableRow{"m8_to_m16", 8, 1, true, false, {0x00, 0x90, 0x00, 0xA0}},
                      TableRow{"s8_to_m16", 8, 2, true, false, {0x00, 0x90, 0x00, 0xA0}},
                      TableRow{"m16_to_m16", 16, 1, true, false, {0x34, 0x12, 0x00, 0xFF}},
                      TableRow{"s16_to_m16", 16, 2, true, false, {0x34, 0x12, 0x00, 0xFF}},
                      TableRow{"m8_to_s16", 8, 1, true, true, {0x00, 0x90, 0x00, 0x90, 0x00, 0xA0, 0x00, 0xA0}},
                      TableRow{"s8_to_s16", 8, 2, true, true, {0x00, 0x90, 0x00, 0x70, 0x00, 0xA0, 0x00, 0x60}},
                      TableRow{"m16_to_s16", 16, 1, true, true, {0x34, 0x12, 0x34, 0x12, 0x00, 0xFF, 0x00, 0xFF}},
                      TableRow{"s16_to_s16", 16, 2, true, true, {0x34, 0x12, 0xFF, 0x7F, 0x00, 0xFF, 0x00, 0x80}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SamplePicking, RepeatsAndSkipsNearestSourceFrames) {
  const std::vector<std::uint8_t> three{0, 1, 2};
  std::vector<std::uint8_t> out(7);
  ConvertSamples(SourceSamples{three.data(), 3, 1, 8}, OutputFormat{}, 7, out.data());
  EXPECT_EQ(out, (std::vector<std::uint8_t>{0, 0, 0, 1, 1, 2, 2}));  // j * 3 / 7

  const std::vector<std::uint8_t> seven{0, 1, 2, 3, 4, 5, 6};
  out.assign(3, 0);
  ConvertSamples(SourceSamples{seven.data(), 7, 1, 8}, OutputFormat{}, 3, out.data());
  EXPECT_EQ(out, (std::vector<std::uint8_t>{0, 2, 4}));  // j * 7 / 3
}

TEST(SamplePicking, LargeProductsDoNotOverflow) {
  // 43999 * 60000 passes 2^31; source frame 43999 * 60000 / 44000 = 59998
  // holds 59998 % 251 = 9.
  std::vector<std::uint8_t> source(60000);
  for (std::size_t k = 0; k < source.size(); ++k) source[k] = static_cast<std::uint8_t>(k % 251);
  std::vector<std::uint8_t> out(44000);
  ConvertSamples(SourceSamples{source.data(), 60000, 1, 8}, OutputFormat{}, 44000, out.data());
  EXPECT_EQ(out.back(), 9);
}

TEST(SamplePicking, NothingUsableGivesSilence) {
  const std::vector<std::uint8_t> bytes{1, 2, 3, 4};
  std::vector<std::uint8_t> out8(6, 0xAA), out16(8, 0xAA);
  ConvertSamples(SourceSamples{nullptr, 0, 1, 8}, OutputFormat{false, true}, 3, out8.data());
  EXPECT_EQ(out8, std::vector<std::uint8_t>(6, 128));
  ConvertSamples(SourceSamples{bytes.data(), 1, 1, 24}, OutputFormat{true, false}, 4, out16.data());
  EXPECT_EQ(out16, std::vector<std::uint8_t>(8, 0));
}

using SoundRuns = ConversionFixture;

std::vector<std::size_t> BlockSizes(const SwfMovie& movie) {
  std::vector<std::size_t> sizes;
  for (const SwfTag* tag : TagsWithCode(movie, tags::kSoundStreamBlock)) sizes.push_back(tag->body.size());
  return sizes;
}

TEST_F(SoundRuns, BlocksFollowTheRunningTotal) {
  UseSource(1, 1, 3, std::vector<Picture>(6, SolidPicture(1, 1, 0)));
  Fake().audioSampleRate = 11000;
  Fake().samples.assign(22000, 0x33);
  settings.convertAudio = true;
  settings.framesPerSecond = 3;
  ASSERT_TRUE(Run());
  const SwfMovie movie = Movie();
  EXPECT_EQ(BlockSizes(movie), (std::vector<std::size_t>{3666, 3667, 3667, 3666, 3667, 3667}));
  // compression 0, rate 01, 8-bit, mono; 3666 = 0x0E52
  EXPECT_EQ(TagsWithCode(movie, tags::kSoundStreamHead2)[0]->body, (std::vector<std::uint8_t>{0x01, 0x04, 0x52, 0x0E}));
  // Reads follow the running exact count too: 11000 * 2 / 3 = 7333 up to the third
  EXPECT_EQ(Fake().soundReads[2], std::make_pair(std::int64_t{7333}, std::int32_t{3667}));
}

TEST_F(SoundRuns, HeadAnnouncesTheChosenFormat) {
  struct Case {
    int choice;
    bool bits16, stereo;
    double fps;
    std::vector<std::uint8_t> body;
  };
  const Case cases[] = {
      {0, false, false, 5, {0x01, 0x00, 0x4C, 0x04}},   // 5500 / 5 = 1100 = 0x044C
      {1, true, false, 5, {0x01, 0x06, 0x98, 0x08}},    // rate 01, 16-bit: 0110
      {3, false, true, 120, {0x01, 0x0D, 0x6E, 0x01}},  // rate 11, stereo: 1101; 366
      {3, true, true, 1, {0x01, 0x0F, 0xE0, 0xAB}},     // 44000 = 0xABE0
      {9, false, false, 1, {0x01, 0x00, 0x7C, 0x15}},   // unknown choice: 5500 = 0x157C
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.choice);
    ResetFake();
    UseSource(1, 1, 1, {SolidPicture(1, 1, 0)});
    settings.convertAudio = true;
    settings.sampleRateChoice = c.choice;
    settings.audio16Bit = c.bits16;
    settings.stereo = c.stereo;
    settings.framesPerSecond = c.fps;
    ASSERT_TRUE(Run());
    const SwfMovie movie = Movie();
    EXPECT_EQ(TagsWithCode(movie, tags::kSoundStreamHead2).at(0)->body, c.body);
  }
}

TEST_F(SoundRuns, ResamplesFromTheSourceRate) {
  // 44100 Hz 16-bit stereo to 22000 Hz 8-bit mono at 5 fps: reads of 8820,
  // blocks of 4400 bytes, output j from source frame j * 8820 / 4400.
  std::vector<std::uint8_t> samples;
  for (int k = 0; k < 8820; ++k) {
    const auto left = static_cast<std::int16_t>((k % 200 - 100) * 256);
    for (const std::int16_t value : {left, std::int16_t{0x7FFF}}) {
      samples.push_back(static_cast<std::uint8_t>(value & 0xFF));
      samples.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
    }
  }
  UseSource(1, 1, 5, {SolidPicture(1, 1, 0)});
  Fake().audioSampleRate = 44100;
  Fake().channels = 2;
  Fake().bits = 16;
  Fake().samples = samples;
  settings.convertAudio = true;
  settings.sampleRateChoice = 2;
  settings.framesPerSecond = 5;
  ASSERT_TRUE(Run());
  EXPECT_EQ(Fake().soundReads.at(0), std::make_pair(std::int64_t{0}, std::int32_t{8820}));
  const SwfMovie movie = Movie();
  const std::vector<std::uint8_t> block = TagsWithCode(movie, tags::kSoundStreamBlock).at(0)->body;
  ASSERT_EQ(block.size(), 4400u);
  // j = 1: k = 2, left (2 - 100) * 256, to8 gives -98 + 128 = 30;
  // j = 4399: k = 8817 (8817 % 200 = 17), to8 gives -83 + 128 = 45.
  EXPECT_EQ(block[1], 30);
  EXPECT_EQ(block[4399], 45);
}

TEST_F(SoundRuns, SourceWithoutSoundGivesSilentBlocksOfNormalLength) {
  for (const bool bits16 : {false, true}) {
    SCOPED_TRACE(bits16);
    ResetFake();
    UseSource(1, 1, 5, std::vector<Picture>(2, SolidPicture(1, 1, 0)));
    settings.convertAudio = true;
    settings.audio16Bit = bits16;
    settings.framesPerSecond = 5;
    ASSERT_TRUE(Run());
    const SwfMovie movie = Movie();
    const auto blocks = TagsWithCode(movie, tags::kSoundStreamBlock);
    ASSERT_EQ(blocks.size(), 2u);
    for (const SwfTag* block : blocks)
      EXPECT_EQ(block->body, std::vector<std::uint8_t>(bits16 ? 4400 : 2200, bits16 ? 0 : 128));
  }
}

TEST(SoundCounts, BlockLengthUses64BitProducts) {
  // Block 50000 at 44000 Hz and 1 fps: 50000 * 44000 passes 2^31.
  ConversionSettings settings;
  RecordingWindow window;
  ResetFake();
  ConversionRun run(settings, window, StandInApi(), FakeDecoder());
  run.fps = 1;
  run.sampleRate = 44000;
  run.outputBytesPerSampleFrame = 1;
  run.soundFrameNumber = 50000;
  run.samplesWritten = std::int64_t{49999} * 44000;
  ConvertSoundBlock(run);
  EXPECT_EQ(run.samplesWritten, std::int64_t{50000} * 44000);
  EXPECT_EQ(run.soundFrameNumber, 50001);
}

}  // namespace
