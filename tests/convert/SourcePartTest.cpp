// A part of the source and the movie's size: which frames and samples are
// read, and the size the movie and its pictures take.
#include "convert/SourcePart.h"
#include "tests/convert/ConversionFixture.h"

namespace {

struct SizeCase {
  const char* name;
  MovieSize source;
  int width, height;
  MovieSize expected;
};

class Scaling : public testing::TestWithParam<SizeCase> {};

TEST_P(Scaling, OneSideTakesTheOtherFromTheAspectRatio) {
  const SizeCase& c = GetParam();
  const MovieSize size = ScaledSize(c.source, c.width, c.height);
  EXPECT_EQ(size.width, c.expected.width);
  EXPECT_EQ(size.height, c.expected.height);
}

INSTANTIATE_TEST_SUITE_P(Sizes, Scaling,
                         testing::Values(SizeCase{"Neither", {640, 480}, 0, 0, {640, 480}},
                                         SizeCase{"WidthHalves", {640, 480}, 320, 0, {320, 240}},
                                         SizeCase{"HeightRoundsTheWidth", {640, 480}, 0, 101, {135, 101}},  // 134.67
                                         SizeCase{"OddWidthKept", {720, 576}, 333, 0, {333, 266}},          // 266.4
                                         SizeCase{"BothAsGiven", {640, 480}, 101, 33, {101, 33}},
                                         SizeCase{"NeverBelowOnePixel", {1000, 10}, 1, 0, {1, 1}}),
                         [](const auto& info) { return std::string(info.param.name); });

class SourcePart : public ConversionFixture {
 protected:
  void UseSourceWithSound(int frames, double rate, double sampleRate) {
    UseSource(1, 1, rate, std::vector<Picture>(static_cast<std::size_t>(frames), SolidPicture(1, 1, 0x80)));
    Fake().audioSampleRate = sampleRate;
    Fake().samples.assign(static_cast<std::size_t>(frames / rate * sampleRate), 0x80);
    settings.convertAudio = true;
  }
};

TEST_F(SourcePart, StartAndEndPickTheirFramesAndTheMatchingSound) {
  // Eighths and quarters add up exactly: movie frames at 0, 1/4, 1/2, ... of
  // the part take its frames 0, 1, 3, 5, 7.
  UseSourceWithSound(16, 8, 1000);
  settings.framesPerSecond = 4;
  settings.startSeconds = 0.5;  // frame 4, sample 5512.5 at 11025 a second
  settings.endSeconds = 1.5;    // up to frame 12
  ASSERT_TRUE(Run());
  EXPECT_EQ(Fake().imageReads, (std::vector<std::int32_t>{4, 5, 7, 9, 11}));
  ASSERT_FALSE(Fake().soundReads.empty());
  EXPECT_EQ(Fake().soundReads.front().first, 5513);
  EXPECT_EQ(Movie().frameCount, 5);
}

TEST_F(SourcePart, StartRoundsToTheNearestFrameAndRunsToTheEnd) {
  UseSourceWithSound(10, 10, 100);
  settings.framesPerSecond = 10;
  settings.startSeconds = 0.66;  // 6.6: frame 7
  ASSERT_TRUE(Run());
  EXPECT_EQ(Fake().imageReads, (std::vector<std::int32_t>{7, 8, 9}));
  EXPECT_NEAR(Fake().soundReads.front().first, 7717.5, 0.5);  // 0.7 s at 11025 a second
}

TEST_F(SourcePart, StartBehindTheLastFrameWritesNothing) {
  UseSourceWithSound(10, 10, 100);
  settings.startSeconds = 1.0;
  EXPECT_EQ(Outcome(), ConversionOutcome::NotWritten);
  EXPECT_TRUE(Fake().imageReads.empty());
  EXPECT_FALSE(std::filesystem::exists(settings.targetPath));
  EXPECT_EQ(window.lines, (std::vector<std::string>{"Der gewählte Abschnitt enthält kein Bild der Quelle."}));
}

// Whatever made the size (options, a decoder's own scaling), a side past the
// largest stage is refused before any picture is read.
TEST_F(SourcePart, StagePastTheLargestSideIsRefusedBeforeAnyPicture) {
  UseSource(kLargestStageSide + 1, 2, 25, {SolidPicture(kLargestStageSide + 1, 2, 0x80)});
  EXPECT_EQ(Outcome(), ConversionOutcome::Refused);
  EXPECT_TRUE(Fake().imageReads.empty());
  EXPECT_FALSE(std::filesystem::exists(settings.targetPath));
  EXPECT_EQ(window.lines, (std::vector<std::string>{"Die Filmgröße 2881 × 2 Pixel ist zu groß: Eine Seite darf "
                                                    "höchstens 2880 Pixel lang sein."}));
}

}  // namespace
