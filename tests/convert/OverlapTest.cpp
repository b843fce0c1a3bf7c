// The JPEG of each stored picture is made on a worker while the next frames
// are decoded. The movie, the lines and the decisions must be the ones of a
// run that makes every JPEG at once.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <stdexcept>
#include <string>

#include "tests/convert/ConversionFixture.h"

namespace {

using Overlap = ConversionFixture;
using namespace tags;

// Pictures (4 by 3 unless told), each with one pixel of its own over the same ground.
Picture Marked(int i, int width) {
  Picture picture = SolidPicture(width, 3, 30);
  SetPixel(picture, width, 3, i % width, i % 3, static_cast<std::uint8_t>(100 + i));
  return picture;
}

std::vector<Picture> MarkedFrames(int count, int width = 4) {
  std::vector<Picture> frames;
  for (int i = 0; i < count; ++i) frames.push_back(Marked(i, width));
  return frames;
}

// Pixels in each stored bitmap; 12 is the whole picture.
std::vector<int> BitmapAreas(const SwfMovie& movie) {
  std::vector<int> areas;
  for (const SwfTag* tag : TagsWithCode(movie, kDefineBitsJPEG2)) {
    const RawPicture picture = ParseBitmap(*tag)->second;
    areas.push_back(picture.width * picture.height);
  }
  return areas;
}

TEST_F(Overlap, PictureAfterOneUnreadableJpegIsStoredWhole) {
  const std::vector<Picture> frames = MarkedFrames(6);
  UseSource(4, 3, 4, frames);
  settings.framesPerSecond = 4;
  Imaging().failSaveNumbers = {2};
  ASSERT_EQ(Outcome(), ConversionOutcome::Incomplete);
  const std::string line = "Die temporäre Bilddatei " + Imaging().savedPaths.at(2) + " kann nicht geschrieben werden.";
  EXPECT_EQ(std::count(window.lines.begin(), window.lines.end(), line), 1);
  const SwfMovie movie = Movie();
  // saves: 0 whole; 1 and 2 the 2 by 2 pixels around two marks; 3 whole as 2
  // failed; 4 from (3, 0) to (0, 1): 4 by 2; 5 from (0, 1) to (1, 2): 2 by 2
  EXPECT_EQ(Imaging().savedPaths.size(), 6u);
  EXPECT_EQ(BitmapAreas(movie), (std::vector<int>{12, 4, 12, 8, 4}));
  EXPECT_TRUE(TagsWithCode(movie, kRemoveObject2).empty());  // stored whole, but the old pictures stay
  const Replay replay = ReplayMovie(movie, 4, 3);
  ASSERT_EQ(replay.error, "");
  for (int i : {0, 1, 3, 4, 5}) EXPECT_EQ(replay.frames[i], frames[i]) << "frame " << i;
}

// The tags of one turn: the picture's, if one is stored, then its movie frames.
void AddTurn(std::vector<std::uint16_t>& codes, bool stored, int removals, int movieFrames) {
  if (stored) {
    codes.insert(codes.end(), {kDefineBitsJPEG2, kDefineShape});
    codes.insert(codes.end(), static_cast<std::size_t>(removals), kRemoveObject2);
    codes.push_back(kPlaceObject2);
  }
  for (int k = 0; k < movieFrames; ++k) codes.insert(codes.end(), {kSoundStreamBlock, kShowFrame});
}

struct LongRun {
  const char* name;
  double sourceRate;
  int movieFramesPerTurn;  // powers of two keep the running times exact
  int wholeAt;             // the turn decoded while sound block 10 is next; -1: none
};

TEST_F(Overlap, LongRunKeepsEveryTurnsTagsInOrder) {
  for (const LongRun run : {LongRun{"one block a turn", 4, 1, 9}, LongRun{"two blocks a turn", 2, 2, -1}}) {
    SCOPED_TRACE(run.name);
    ResetFake();
    ResetImaging();
    std::vector<Picture> frames = MarkedFrames(14);
    frames[5] = frames[4];  // nothing changed: nothing stored
    frames[8] = frames[7];
    UseSource(4, 3, run.sourceRate, frames);
    Fake().audioSampleRate = 8000;
    Fake().samples.assign(8000 * 8, 0x70);
    settings.convertAudio = true;
    settings.framesPerSecond = 4;
    ASSERT_TRUE(Run());
    const SwfMovie movie = Movie();

    std::vector<std::uint16_t> expected{kSetBackgroundColor, kSoundStreamHead2};
    for (int i = 0; i < 14; ++i) {
      // turn 9 removes depths 1 to 8: the placeholder's and pictures 0-4, 6, 7
      AddTurn(expected, i != 5 && i != 8, i == run.wholeAt ? 8 : 0, run.movieFramesPerTurn);
    }
    expected.push_back(kEnd);
    EXPECT_EQ(TagCodes(movie), expected);

    // Each shape fills with the bitmap just before it and is placed one deeper.
    const auto bitmaps = TagsWithCode(movie, kDefineBitsJPEG2);
    const auto shapes = TagsWithCode(movie, kDefineShape);
    const auto places = TagsWithCode(movie, kPlaceObject2);
    ASSERT_EQ(places.size(), 12u);
    for (std::size_t k = 0; k < places.size(); ++k) {
      EXPECT_EQ(ParseBitmap(*bitmaps[k])->first, 2 * k + 1);
      EXPECT_EQ(ParseShape(*shapes[k])->fills.at(1).bitmapID, 2 * k + 1);
      EXPECT_EQ(ParsePlacement(*places[k])->characterID, 2 * k + 2);
      EXPECT_EQ(ParsePlacement(*places[k])->depth, k + 2);
    }
    const Replay replay = ReplayMovie(movie, 4, 3);
    ASSERT_EQ(replay.error, "");
    for (std::size_t f = 0; f < replay.frames.size(); ++f)
      EXPECT_EQ(replay.frames[f], frames[f / static_cast<std::size_t>(run.movieFramesPerTurn)]) << "movie frame " << f;
  }
}

TEST_F(Overlap, LastPictureIsInTheMovieEvenWhenItsJpegIsSlow) {
  UseSource(4, 3, 4, MarkedFrames(3));
  settings.framesPerSecond = 4;
  Imaging().slowSave = 2;
  ASSERT_TRUE(Run());
  const SwfMovie movie = Movie();
  EXPECT_EQ(TagsWithCode(movie, kDefineBitsJPEG2).size(), 3u);
  EXPECT_EQ(movie.tags.at(movie.tags.size() - 3).code, kPlaceObject2);  // then ShowFrame, End
}

TEST_F(Overlap, WorkersExceptionReachesTheCaller) {
  UseSource(4, 3, 4, MarkedFrames(5));
  settings.framesPerSecond = 4;
  Imaging().throwAtSave = 2;
  EXPECT_THROW(
      {
        try {
          Run();
        } catch (const std::runtime_error& error) {
          EXPECT_STREQ(error.what(), "stand-in save failed");
          throw;
        }
      },
      std::runtime_error);
  EXPECT_FALSE(std::filesystem::exists(settings.targetPath));
  // The fixture checks that every picture, handle and temporary file is gone.
}

// 102 one-pixel frames, each different, so every one is stored.
std::vector<Picture> Flicker(int count) {
  std::vector<Picture> frames;
  for (int i = 0; i < count; ++i) frames.push_back(SolidPicture(1, 1, static_cast<std::uint8_t>(i % 2 ? 10 : 20)));
  return frames;
}

TEST_F(Overlap, TroubleLineComesBeforeTheNextProgressLine) {
  UseSource(1, 1, 4, Flicker(102));
  settings.framesPerSecond = 4;
  Imaging().failSaveNumbers = {99};
  ASSERT_EQ(Outcome(), ConversionOutcome::Incomplete);
  const std::string trouble =
      "Die temporäre Bilddatei " + Imaging().savedPaths.at(99) + " kann nicht geschrieben werden.";
  EXPECT_EQ(window.lines,
            (std::vector<std::string>{"Starte Konvertierung...", "Frame 1 von 102", trouble, "Frame 101 von 102",
                                      "Frame 102 von 102", "Konvertiertung beendet."}));
}

TEST_F(Overlap, QualitySetAtAnInputTurnAppliesFromTheNextPicture) {
  UseSource(1, 1, 4, Flicker(102));
  settings.framesPerSecond = 4;
  Imaging().slowSave = 99;  // still saving when the walk reaches frame 100's input turn
  window.onInput = [this] {
    if (window.inputTurns == 2) StandInApi().SetJPEGQual(10);
  };
  ASSERT_TRUE(Run());
  std::vector<int> expected(100, 75);
  expected.insert(expected.end(), {10, 10});
  EXPECT_EQ(Imaging().qualities, expected);
}

struct OneThreadCase {
  const char* name;
  std::vector<int> unchangedFrames;  // frames that repeat the one before
  std::set<int> failSaves;
  bool sound;
  bool onlyChanges;
  int tolerance = 0;  // with one, pictures are wider than the regions and odd frames' ground is one brighter: noise
};

// What a run leaves behind, to compare one run with another.
struct RunRecord {
  std::string movie;
  std::vector<std::string> lines;
  std::vector<std::string> saves;
};

TEST_F(Overlap, OverlappedRunEqualsOneThreadRun) {
  const OneThreadCase cases[] = {
      {"all stored", {}, {}, true, true},
      {"failed save before a changed picture", {}, {2}, false, true},
      {"failed save before an unchanged picture", {3}, {2}, false, true},
      {"failed saves in a row", {}, {2, 3, 4}, false, true},
      {"failed saves around unchanged pictures", {3, 6}, {2, 5}, true, true},
      {"failed saves before unchanged pictures in a row", {3, 4}, {2, 3}, false, true},
      {"every picture whole", {4}, {3}, true, false},
      {"failed save with a tolerance", {}, {2}, false, true, 2},
      {"failed save before an unchanged picture with a tolerance", {3}, {2}, false, true, 2},
  };
  for (const OneThreadCase& c : cases) {
    SCOPED_TRACE(c.name);
    const int width = c.tolerance > 0 ? 24 : 4;
    std::vector<Picture> frames = MarkedFrames(24, width);
    for (std::size_t i = 1; c.tolerance > 0 && i < frames.size(); i += 2)
      for (std::uint8_t& byte : frames[i]) byte = byte == 30 ? 31 : byte;
    for (int i : c.unchangedFrames) frames[static_cast<std::size_t>(i)] = frames[static_cast<std::size_t>(i) - 1];
    // 0 JPEG threads: the one-thread run. Two JPEGs at once may begin their
    // saves in either order, so saves failing by number are left to one.
    std::map<int, RunRecord> records;
    for (const int threads : {0, 1, 2}) {
      if (threads == 2 && !c.failSaves.empty()) continue;
      ResetFake();
      ResetImaging();
      window.lines.clear();
      UseSource(width, 3, 4, frames);
      Fake().audioSampleRate = 8000;
      Fake().samples.assign(8000 * 8, 0x70);
      Imaging().failSaveNumbers = c.failSaves;
      settings.framesPerSecond = 4;  // with sound, turns 9 and 19 store whole pictures
      settings.convertAudio = c.sound;
      settings.storeOnlyChanges = c.onlyChanges;
      settings.tolerance = c.tolerance;
      settings.overlapPictures = threads > 0;
      settings.jpegThreads = std::max(threads, 1);
      ASSERT_TRUE(Run());
      std::ifstream file(settings.targetPath, std::ios::binary);
      RunRecord& record = records[threads];
      record = {std::string(std::istreambuf_iterator<char>(file), {}), window.lines, Imaging().savedPaths};
      // Each run has a folder of its own: compare the names inside it.
      const std::string own = std::filesystem::path(Imaging().savedPaths.at(0)).parent_path().string();
      for (std::string& line : record.lines)
        if (const std::size_t at = line.find(own); at != std::string::npos) line.replace(at, own.size(), "…");
      for (std::string& save : record.saves) save = std::filesystem::path(save).filename().string();
      std::sort(record.saves.begin(), record.saves.end());
    }
    for (const auto& [threads, record] : records) {
      EXPECT_EQ(record.movie, records[0].movie) << threads << " JPEG threads";
      EXPECT_EQ(record.lines, records[0].lines) << threads << " JPEG threads";
      EXPECT_EQ(record.saves, records[0].saves) << threads << " JPEG threads";
    }
    EXPECT_EQ(ReplayMovie(LoadCheckedMovie(settings.targetPath), width, 3).error, "");
  }
}

}  // namespace
