// The frame walk: which source frames are decoded, how many movie frames
// each one shows, the order of the tags and the lines shown.
#include <algorithm>
#include <fstream>

#include "tests/convert/ConversionFixture.h"
#include "tests/support/ProcessRunner.h"

namespace {

using FrameLoop = ConversionFixture;

std::vector<Picture> SameFrames(int count, int w, int h) {
  return std::vector<Picture>(static_cast<std::size_t>(count), SolidPicture(w, h, 0x40));
}

std::vector<Picture> DistinctFrames(int count, int w, int h) {
  std::vector<Picture> frames;
  for (int i = 0; i < count; ++i) frames.push_back(SolidPicture(w, h, static_cast<std::uint8_t>(10 * i + 5)));
  return frames;
}

int ShowFrames(const SwfMovie& movie) { return static_cast<int>(TagsWithCode(movie, tags::kShowFrame).size()); }

TEST_F(FrameLoop, SmallRunWritesTagsInPlayOrder) {
  Picture first = SolidPicture(2, 2, 10);
  Picture second = first;
  SetPixel(second, 2, 2, 1, 0, 200);
  UseSource(2, 2, 5, {first, second, second});
  Fake().audioSampleRate = 11000;
  Fake().samples.assign(11000, 0x90);
  settings.convertAudio = true;
  settings.framesPerSecond = 5;

  ASSERT_EQ(Outcome(), ConversionOutcome::Complete);
  const SwfMovie movie = Movie();
  using namespace tags;
  EXPECT_EQ(TagCodes(movie), (std::vector<std::uint16_t>{
                                 kSetBackgroundColor, kSoundStreamHead2,                                        //
                                 kDefineBitsJPEG2, kDefineShape, kPlaceObject2, kSoundStreamBlock, kShowFrame,  //
                                 kDefineBitsJPEG2, kDefineShape, kPlaceObject2, kSoundStreamBlock, kShowFrame,  //
                                 kSoundStreamBlock, kShowFrame, kEnd}));
  EXPECT_EQ(movie.tags[0].body, (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF}));
  // playback byte 1; compression 0000, rate 01, 8-bit 0, mono 0; 11025 / 5 = 2205 = 0x089D
  EXPECT_EQ(movie.tags[1].body, (std::vector<std::uint8_t>{0x01, 0x04, 0x9D, 0x08}));

  // Ids in order of making: bitmap 1, shape 2, bitmap 3, shape 4; depths from 2.
  const auto places = TagsWithCode(movie, kPlaceObject2);
  const auto shapes = TagsWithCode(movie, kDefineShape);
  ASSERT_EQ(places.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    const auto place = ParsePlacement(*places[i]);
    const auto shape = ParseShape(*shapes[i]);
    ASSERT_TRUE(place && shape);
    EXPECT_EQ(place->flags, 0x06);  // has matrix, has character
    EXPECT_EQ(place->depth, 2 + i);
    EXPECT_EQ(place->characterID, 2 + 2 * i);
    EXPECT_EQ(place->matrix, (std::vector<std::uint8_t>{0x02, 0x00}));  // 0 0 00001 0 0: no scale, no rotation, 0, 0
    EXPECT_EQ(shape->id, 2 + 2 * i);
    ASSERT_EQ(shape->fills.size(), 2u);
    EXPECT_EQ(shape->fills[1].bitmapID, 1 + 2 * i);
  }
  EXPECT_EQ(movie.frameRate, 5 << 8);
  EXPECT_EQ(movie.xMax, 40);
  EXPECT_EQ(movie.yMax, 40);
}

TEST_F(FrameLoop, NtscSourceAtFiveFramesDecodesOnlyTheFramesShown) {
  UseSource(1, 1, 29.97, SameFrames(40, 1, 1));
  settings.framesPerSecond = 5;
  ASSERT_TRUE(Run());
  EXPECT_EQ(Fake().imageReads, (std::vector<std::int32_t>{0, 5, 11, 17, 23, 29, 35}));
  EXPECT_EQ(ShowFrames(Movie()), 7);
}

struct PlanCase {
  double rate;
  double fps;
  int frames;
  double startSeconds;
};

class PlanToldAhead : public ConversionFixture, public testing::WithParamInterface<PlanCase> {};

// The decoder leaves out the pictures of frames it is not told: it must be
// told exactly the frames then read, in order, also from a part's start and
// where the sums of the two clocks meet on a frame's end.
TEST_P(PlanToldAhead, IsTheFramesRead) {
  const PlanCase& c = GetParam();
  UseSource(1, 1, c.rate, SameFrames(c.frames, 1, 1));
  settings.framesPerSecond = c.fps;
  settings.startSeconds = c.startSeconds;
  ASSERT_TRUE(Run());
  ASSERT_FALSE(Fake().imageReads.empty());
  EXPECT_EQ(Fake().plannedReads, Fake().imageReads);
}

INSTANTIATE_TEST_SUITE_P(FrameLoop, PlanToldAhead,
                         testing::Values(PlanCase{29.97, 5, 200, 0}, PlanCase{8, 4, 6, 0}, PlanCase{25, 5, 300, 2.5},
                                         PlanCase{25, 30, 90, 0}, PlanCase{23.976, 12, 150, 1.1},
                                         PlanCase{60, 7, 400, 0}, PlanCase{25, 25, 70, 0}));

TEST_F(FrameLoop, MovieFrameOnTheEndOfASourceFrameTakesThatFrame) {
  // Eighths and quarters add up exactly: movie frame 1 at 0.25 is the end of
  // source frame 1, movie frame 2 at 0.5 the end of source frame 3.
  UseSource(1, 1, 8, SameFrames(6, 1, 1));
  settings.framesPerSecond = 4;
  ASSERT_TRUE(Run());
  EXPECT_EQ(Fake().imageReads, (std::vector<std::int32_t>{0, 1, 3, 5}));
  EXPECT_EQ(ShowFrames(Movie()), 4);
}

TEST_F(FrameLoop, FasterMovieRepeatsSourcePictures) {
  const std::vector<Picture> frames = DistinctFrames(3, 2, 1);
  UseSource(2, 1, 25, frames);
  settings.framesPerSecond = 30;
  ASSERT_TRUE(Run());
  EXPECT_EQ(Fake().imageReads, (std::vector<std::int32_t>{0, 1, 2}));
  const SwfMovie movie = Movie();
  // Movie frames at 0 and 1/30 fall in source frame 0, 2/30 in 1, 3/30 in 2.
  const Replay replay = ReplayMovie(movie, 2, 1);
  ASSERT_EQ(replay.error, "");
  EXPECT_EQ(replay.frames, (std::vector<Picture>{frames[0], frames[0], frames[1], frames[2]}));
  EXPECT_EQ(movie.frameCount, 4);
}

TEST_F(FrameLoop, SoundOffMovieHoldsBackgroundPicturesAndFramesOnly) {
  UseSource(2, 1, 25, DistinctFrames(2, 2, 1));
  settings.framesPerSecond = 30;
  ASSERT_TRUE(Run());
  using namespace tags;
  EXPECT_EQ(TagCodes(Movie()),
            (std::vector<std::uint16_t>{kSetBackgroundColor, kDefineBitsJPEG2, kDefineShape, kPlaceObject2, kShowFrame,
                                        kShowFrame, kDefineBitsJPEG2, kDefineShape, kPlaceObject2, kShowFrame, kEnd}));
}

TEST_F(FrameLoop, SourceWithoutFrameCountStillGetsOneTurn) {
  UseSource(1, 1, 25, SameFrames(3, 1, 1));
  Fake().frameCount = 0;
  ASSERT_TRUE(Run());
  EXPECT_EQ(Fake().imageReads, (std::vector<std::int32_t>{0}));
  EXPECT_EQ(ShowFrames(Movie()), 1);
  EXPECT_EQ(window.lines.at(window.lines.size() - 2), "Frame 1 von 0");
}

TEST_F(FrameLoop, ProgressLinesEveryHundredFramesAndFinalLines) {
  UseSource(1, 1, 25, SameFrames(250, 1, 1));
  settings.framesPerSecond = 25;
  std::vector<std::string> lineAtInput;
  window.onInput = [&] { lineAtInput.push_back(window.lines.back()); };
  ASSERT_TRUE(Run());
  EXPECT_EQ(window.lines,
            (std::vector<std::string>{"Starte Konvertierung...", "Frame 1 von 250", "Frame 101 von 250",
                                      "Frame 201 von 250", "Frame 250 von 250", "Konvertiertung beendet."}));
  EXPECT_EQ(lineAtInput, (std::vector<std::string>{"Frame 1 von 250", "Frame 101 von 250", "Frame 201 von 250"}));
  ASSERT_EQ(window.progress.size(), 250u);
  EXPECT_EQ(window.progress.front(), std::make_pair(1, 250));
  EXPECT_EQ(window.progress.back(), std::make_pair(250, 250));
}

TEST_F(FrameLoop, TurnsTheWindowAsksForChangeNoLineAndNoByteOfTheMovie) {
  UseSource(4, 4, 25, DistinctFrames(130, 4, 4));
  settings.framesPerSecond = 25;
  settings.jpegThreads = 2;
  ASSERT_TRUE(Run());
  const std::string plain = ReadWholeFile(settings.targetPath);
  const std::vector<std::string> plainLines = window.lines;
  window = RecordingWindow();
  window.turnDue = [] { return true; };
  ASSERT_TRUE(Run());
  EXPECT_EQ(window.inputTurns, 130);  // one before each frame
  EXPECT_EQ(window.lines, plainLines);
  EXPECT_EQ(ReadWholeFile(settings.targetPath), plain);
}

TEST_F(FrameLoop, CancelStopsAfterThatFrameAndKeepsNoMovieNorTouchesAnOldOne) {
  UseSource(4, 4, 25, DistinctFrames(250, 4, 4));
  settings.framesPerSecond = 25;
  settings.createHtmlPage = true;
  { std::ofstream(settings.targetPath) << "alt"; }
  window.cancel = [this] { return window.progress.size() == 150; };
  EXPECT_EQ(Outcome(), ConversionOutcome::NotWritten);
  EXPECT_EQ(window.progress.back(), std::make_pair(150, 250));
  EXPECT_EQ(window.lines.back(), "Konvertierung abgebrochen, es wurde kein Film geschrieben.");
  EXPECT_TRUE(window.codeLines.empty());
  EXPECT_EQ(ReadWholeFile(settings.targetPath), "alt");
  std::vector<std::filesystem::path> left;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) left.push_back(entry.path().filename());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::filesystem::path>{"film.swf", "temp"}));
}

TEST_F(FrameLoop, FailedPictureReadEndsWalkAfterItsTurnAndReportsOnce) {
  UseSource(1, 1, 25, DistinctFrames(20, 1, 1));
  settings.framesPerSecond = 25;
  Fake().failImageFrom = 7;
  Fake().setErrorOnFailure = true;
  ASSERT_TRUE(Run());
  EXPECT_EQ(Fake().imageReads.back(), 7);
  const std::vector<std::string> tail(window.lines.end() - 3, window.lines.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"Fehler in der Quelle", "Frame 8 von 20", "Konvertiertung beendet."}));
  EXPECT_EQ(ShowFrames(Movie()), 8);  // the failing turn still shows its frame
}

TEST_F(FrameLoop, FailedSoundReadLeavesTheRestSilentAndTheWalkGoesOn) {
  // At 8 movie frames from 4 source frames each turn reads sound twice.
  for (const int failingRead : {2, 5}) {
    SCOPED_TRACE(failingRead);
    ResetFake();
    window.lines.clear();
    UseSource(1, 1, 4, SameFrames(4, 1, 1));
    Fake().audioSampleRate = 11000;
    Fake().samples.assign(22050, 0x33);  // 16-bit samples 0x3333 for the whole second
    Fake().failSoundReads = {failingRead};
    settings.convertAudio = true;
    settings.framesPerSecond = 8;
    ASSERT_EQ(Outcome(), ConversionOutcome::Incomplete);
    EXPECT_EQ(Fake().imageReads.size(), 4u);
    EXPECT_EQ(Fake().soundReads.size(), static_cast<std::size_t>(failingRead + 1)) << "no reads after the failure";
    EXPECT_EQ(std::count(window.lines.begin(), window.lines.end(),
                         "Der Ton der Datei clip.avi kann nicht gelesen werden; der Film bleibt stumm."),
              1);
    const SwfMovie movie = Movie();
    const std::vector<const SwfTag*> blocks = TagsWithCode(movie, tags::kSoundStreamBlock);
    ASSERT_EQ(blocks.size(), 8u);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
      const std::uint8_t expected = static_cast<int>(i) < failingRead ? 0xB3 : 0x80;
      EXPECT_EQ(blocks[i]->body.front(), expected) << "block " << i;
    }
  }
}

TEST_F(FrameLoop, StoreOnlyChangesIsReadAgainForEveryPicture) {
  std::vector<Picture> frames;
  for (int i = 0; i < 150; ++i) {
    Picture picture = SolidPicture(2, 2, 0);
    SetPixel(picture, 2, 2, i % 2, 1, static_cast<std::uint8_t>(i + 1));
    frames.push_back(picture);
  }
  UseSource(2, 2, 25, frames);
  settings.framesPerSecond = 25;
  window.onInput = [&] {
    if (window.inputTurns == 2) settings.storeOnlyChanges = false;
  };
  ASSERT_TRUE(Run());
  int whole = 0;
  const SwfMovie movie = Movie();
  for (const SwfTag* tag : TagsWithCode(movie, tags::kDefineBitsJPEG2)) whole += ParseBitmap(*tag)->second.height == 2;
  EXPECT_EQ(whole, 1 + 50);  // the first picture, then every one from frame 100 on
}

}  // namespace
