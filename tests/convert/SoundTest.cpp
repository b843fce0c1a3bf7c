// The sound track: sample sizes, the running clock at the real SWF rates,
// the stream head, sources without sound and the two settings a run reads
// while it goes.
#include "convert/SoundTrack.h"
#include "tests/convert/ConversionFixture.h"

namespace {

TEST(SampleValues, To8KeepsTheHighByteAndShiftsToUnsigned) {
  EXPECT_EQ(to8(-32768), 0);
  EXPECT_EQ(to8(-1), 127);  // -1 >> 8 is -1
  EXPECT_EQ(to8(0), 128);
  EXPECT_EQ(to8(256), 129);
  EXPECT_EQ(to8(32767), 255);
  EXPECT_EQ(to16(0), -32768);
  EXPECT_EQ(to16(128), 0);
  EXPECT_EQ(to16(255), 32512);
}

TEST(SampleValues, BlocksTakeTheReadSamplesAndSilenceForWhatIsMissing) {
  // Two delivered stereo frames 0x1234/-0x100 and 0x7FFF/-0x8000, a block of three.
  const std::vector<unsigned char> read{0x34, 0x12, 0x00, 0xFF, 0xFF, 0x7F, 0x00, 0x80};
  SoundFormat format;
  format.stereo = true;
  format.bits16 = true;
  std::vector<unsigned char> out(12, 0xAA);
  WritePcm(read.data(), 2, format, 3, out.data());
  EXPECT_EQ(out, (std::vector<unsigned char>{0x34, 0x12, 0x00, 0xFF, 0xFF, 0x7F, 0x00, 0x80, 0, 0, 0, 0}));
  format.bits16 = false;
  out.assign(6, 0xAA);
  WritePcm(read.data(), 2, format, 3, out.data());
  EXPECT_EQ(out, (std::vector<unsigned char>{0x92, 0x7F, 0xFF, 0x00, 128, 128}));
  out.assign(6, 0xAA);
  WritePcm(nullptr, 0, format, 3, out.data());
  EXPECT_EQ(out, std::vector<unsigned char>(6, 128));
}

struct ClockCase {
  std::int64_t halfRate;
  double fps;
  std::vector<std::int64_t> firstBlocks;
};

TEST(SoundClock, BlocksEndOnTheExactRunningClock) {
  const ClockCase cases[] = {
      {11025, 25, {220, 221, 220, 221}},    // 5512.5 a second: 220.5 a frame
      {22050, 3, {3675, 3675, 3675}},       // 11025 / 3
      {88200, 120, {367, 368, 367, 368}},   // 367.5
      {44100, 7, {3150, 3150}},             // 22050 / 7
      {88200, 30, {1470, 1470, 1470}},
  };
  for (const ClockCase& c : cases) {
    SCOPED_TRACE(c.halfRate);
    for (std::size_t k = 0; k < c.firstBlocks.size(); ++k) {
      const auto frame = static_cast<std::int64_t>(k) + 1;
      EXPECT_EQ(SamplesUpTo(frame, c.halfRate, c.fps) - SamplesUpTo(frame - 1, c.halfRate, c.fps), c.firstBlocks[k]);
    }
    // Ten minutes of blocks hold ten minutes of samples, within one.
    const auto frames = static_cast<std::int64_t>(600 * c.fps);
    EXPECT_NEAR(static_cast<double>(SamplesUpTo(frames, c.halfRate, c.fps)), 600.0 * c.halfRate / 2, 1.0);
  }
  // 65535 blocks at 44100 a second and 1 frame a second pass 32 bits.
  EXPECT_EQ(SamplesUpTo(65535, 88200, 1), std::int64_t{65535} * 44100);
}

using SoundRuns = ConversionFixture;

std::vector<std::size_t> BlockSizes(const SwfMovie& movie) {
  std::vector<std::size_t> sizes;
  for (const SwfTag* tag : TagsWithCode(movie, tags::kSoundStreamBlock)) sizes.push_back(tag->body.size());
  return sizes;
}

TEST_F(SoundRuns, BlocksReadTheirOwnFramesSamplesAtTheMovieRate) {
  UseSource(1, 1, 25, std::vector<Picture>(4, SolidPicture(1, 1, 0)));
  Fake().audioSampleRate = 48000;
  Fake().samples.assign(1600, 0x33);
  settings.convertAudio = true;
  settings.sampleRateChoice = 0;
  settings.framesPerSecond = 25;
  ASSERT_TRUE(Run());
  EXPECT_EQ(Fake().formatsAsked, (std::vector<std::pair<std::int32_t, std::int32_t>>{{11025, 1}}));
  const SwfMovie movie = Movie();
  EXPECT_EQ(BlockSizes(movie), (std::vector<std::size_t>{220, 221, 220, 221}));
  EXPECT_EQ(Fake().soundReads, (std::vector<std::pair<std::int64_t, std::int32_t>>{
                                   {0, 220}, {220, 221}, {441, 220}, {661, 221}}));
  // The samples as read, high bytes to 8 bits; 1600 bytes are 800 samples, then silence.
  const std::vector<std::uint8_t> last = TagsWithCode(movie, tags::kSoundStreamBlock).at(3)->body;
  EXPECT_EQ(last.front(), to8(0x3333));
  EXPECT_EQ(last.back(), 128);
}

TEST_F(SoundRuns, HeadAnnouncesTheChosenFormatAndTheRoundedAverageBlock) {
  struct Case {
    int choice;
    bool bits16, stereo;
    double fps;
    std::vector<std::uint8_t> body;
  };
  const Case cases[] = {
      {0, false, false, 5, {0x01, 0x00, 0x4F, 0x04}},   // 5512.5 / 5 = 1102.5: 1103 = 0x044F
      {1, true, false, 5, {0x01, 0x06, 0x9D, 0x08}},    // rate 01, 16-bit: 0110; 2205
      {3, false, true, 120, {0x01, 0x0D, 0x70, 0x01}},  // rate 11, stereo: 1101; 367.5: 368
      {3, true, true, 1, {0x01, 0x0F, 0x44, 0xAC}},     // 44100 = 0xAC44
      {9, false, false, 1, {0x01, 0x00, 0x89, 0x15}},   // unknown choice: 5512.5: 5513 = 0x1589
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.choice);
    ResetFake();
    UseSource(1, 1, 1, {SolidPicture(1, 1, 0)});
    Fake().audioSampleRate = 44100;
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

TEST_F(SoundRuns, SourceWithoutSoundGetsNoSoundTrack) {
  UseSource(1, 1, 5, std::vector<Picture>(2, SolidPicture(1, 1, 0)));
  settings.convertAudio = true;
  settings.framesPerSecond = 5;
  EXPECT_EQ(Outcome(), ConversionOutcome::Complete);
  const SwfMovie movie = Movie();
  EXPECT_TRUE(TagsWithCode(movie, tags::kSoundStreamHead2).empty());
  EXPECT_TRUE(TagsWithCode(movie, tags::kSoundStreamBlock).empty());
  EXPECT_TRUE(Fake().soundReads.empty());
  EXPECT_EQ(std::count(window.lines.begin(), window.lines.end(), kNoSoundTrackLine), 1);
}

// A jump in the sound's times is damage at that point: its line once, the
// movie incomplete, and the sound goes on in the blocks after it.
TEST_F(SoundRuns, SoundTimeJumpIsToldOnceAndTheSoundGoesOn) {
  UseSource(1, 1, 5, std::vector<Picture>(4, SolidPicture(1, 1, 0)));
  Fake().audioSampleRate = 44100;
  Fake().samples.assign(22050 * 2, 0x33);
  Fake().soundJumpReads = {1, 2};
  Fake().errorText = "Die Zeitangaben des Tons springen.";
  settings.convertAudio = true;
  settings.framesPerSecond = 5;
  EXPECT_EQ(Outcome(), ConversionOutcome::Incomplete);
  EXPECT_EQ(std::count(window.lines.begin(), window.lines.end(), Fake().errorText), 1);
  const SwfMovie movie = Movie();
  const auto blocks = TagsWithCode(movie, tags::kSoundStreamBlock);
  ASSERT_EQ(blocks.size(), 4u);
  EXPECT_EQ(blocks.back()->body.front(), to8(0x3333));
}

// Convert audio is read for every movie frame, but blocks come only after a
// head: switched on during a run that began without sound, it adds none;
// switched off, the frames from then on have none and the sound stays in step.
TEST_F(SoundRuns, ConvertAudioChangedDuringTheRunNeverLeavesBlocksWithoutHead) {
  for (const bool onAtStart : {false, true}) {
    SCOPED_TRACE(onAtStart);
    ResetFake();
    UseSource(1, 1, 5, std::vector<Picture>(250, SolidPicture(1, 1, 0)));
    Fake().audioSampleRate = 22050;
    settings.convertAudio = onAtStart;
    settings.framesPerSecond = 5;
    window.onInput = [this, onAtStart] { settings.convertAudio = !onAtStart; };
    ASSERT_TRUE(Run());
    const SwfMovie movie = Movie();
    // The window handles input at source frames 0, 100 and 200: from the first on, switched.
    EXPECT_EQ(TagsWithCode(movie, tags::kSoundStreamHead2).size(), onAtStart ? 1u : 0u);
    EXPECT_TRUE(TagsWithCode(movie, tags::kSoundStreamBlock).empty());
    settings.convertAudio = false;
  }
}

}  // namespace
