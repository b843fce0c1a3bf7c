// What a run does where the plain steps would go wrong: a movie that cannot
// be written (found before the work where it can be), a source that cannot be read, a temporary file that cannot be
// written, and a movie that reaches the format's largest length.
#include <signal.h>
#include <sys/resource.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <limits>

#include "convert/ConversionRun.h"
#include "tests/convert/ConversionFixture.h"

namespace {

using Mends = ConversionFixture;

struct UnwritableTargetCase {
  const char* name;
  std::function<void(const std::filesystem::path& folder)> prepare;
  std::string target;  // below the test's folder
  bool page;
  std::string lineFile;  // the file the line names, below the test's folder
  const char* reason;
};

void PrintTo(const UnwritableTargetCase& c, std::ostream* os) { *os << c.name; }

class UnwritableTarget : public ConversionFixture, public testing::WithParamInterface<UnwritableTargetCase> {};

// What would fail at the end fails before the source is read.
TEST_P(UnwritableTarget, IsRefusedWithTheReasonBeforeAnyWork) {
  const UnwritableTargetCase& c = GetParam();
  c.prepare(folder);
  UseSource(2, 2, 4, {SolidPicture(2, 2, 1)});
  settings.targetPath = (folder / c.target).string();
  settings.createHtmlPage = c.page;
  settings.openResult = true;
  EXPECT_EQ(Outcome(), ConversionOutcome::NotWritten);
  const std::string file = (folder / c.lineFile).string();
  EXPECT_EQ(window.lines, std::vector<std::string>{"Datei " + file + " kann nicht erstellt werden (" + c.reason + ")"});
  EXPECT_EQ(Fake().opened, 0);
  EXPECT_TRUE(window.opened.empty());
  EXPECT_FALSE(std::filesystem::exists(settings.targetPath) && !std::filesystem::is_directory(settings.targetPath));
}

// 255 bytes, the longest name most file systems take: no room for .tmp0.
const std::string kLongName = std::string(251, 'n') + ".swf";

INSTANTIATE_TEST_SUITE_P(
    Targets, UnwritableTarget,
    testing::Values(
        UnwritableTargetCase{"MissingFolder", [](const auto&) {}, "fehlt/film.swf", false, "fehlt/film.swf",
                             "Datei oder Ordner nicht gefunden"},
        UnwritableTargetCase{"FileAsFolder", [](const auto& f) { std::ofstream(f / "datei") << "x"; }, "datei/film.swf",
                             false, "datei/film.swf", "Ein Teil des Pfads ist kein Ordner"},
        UnwritableTargetCase{"FolderAsMovie", [](const auto& f) { std::filesystem::create_directory(f / "film.swf"); },
                             "film.swf", false, "film.swf", "Das ist ein Ordner"},
        UnwritableTargetCase{"FolderAsPage", [](const auto& f) { std::filesystem::create_directory(f / "film.htm"); },
                             "film.swf", true, "film.htm", "Das ist ein Ordner"},
        UnwritableTargetCase{"NameWithoutRoomForTheTemporaryName", [](const auto&) {}, kLongName, false, kLongName,
                             "Dateiname zu lang"}),
    [](const testing::TestParamInfo<UnwritableTargetCase>& info) { return std::string(info.param.name); });

// The longest name that leaves room for the temporary one is written, page and all.
TEST_F(Mends, LongestNameWithRoomForTheTemporaryNameIsWritten) {
  const std::string name(250 - 4, 'n');
  UseSource(2, 2, 4, {SolidPicture(2, 2, 1)});
  settings.targetPath = (folder / (name + ".swf")).string();
  settings.createHtmlPage = true;
  ASSERT_EQ(Outcome(), ConversionOutcome::Complete);
  Movie();
  EXPECT_TRUE(std::filesystem::is_regular_file(folder / (name + ".htm")));
}

TEST_F(Mends, TargetFolderTakenAwayEndsTheWalkAtOnce) {
  std::filesystem::create_directory(folder / "ziel");
  settings.targetPath = (folder / "ziel" / "film.swf").string();
  UseSource(2, 2, 25, std::vector<Picture>(300, SolidPicture(2, 2, 1)));
  settings.framesPerSecond = 25;
  window.onInput = [this] { std::filesystem::remove_all(folder / "ziel"); };
  EXPECT_EQ(Outcome(), ConversionOutcome::NotWritten);
  EXPECT_LT(Fake().imageReads.size(), 10u);
  EXPECT_EQ(window.lines.back(),
            "Datei " + settings.targetPath + " kann nicht erstellt werden (Datei oder Ordner nicht gefunden)");
}

// A movie that can no longer be written (here a file-size limit, as a full
// disk) ends the walk at once, and its temporary file goes.
TEST_F(Mends, FailedMovieWriteEndsTheWalkAndNamesTheReason) {
#if defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "ThreadSanitizer's runtime lets SIGXFSZ end the program although it is ignored";
#endif
  EXPECT_EXIT(
      {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit = {};
        limit.rlim_cur = 200000;
        limit.rlim_max = RLIM_INFINITY;
        setrlimit(RLIMIT_FSIZE, &limit);
        std::vector<Picture> frames;
        for (int i = 0; i < 400; ++i) frames.push_back(SolidPicture(64, 64, static_cast<std::uint8_t>(i % 2 * 200)));
        UseSource(64, 64, 25, frames);
        settings.framesPerSecond = 25;
        const bool failed = Outcome() == ConversionOutcome::NotWritten;
        const bool early = Fake().imageReads.size() < 300;
        const bool told =
            window.lines.back() == "Datei " + settings.targetPath + " kann nicht erstellt werden (Datei zu groß)";
        const bool noFile = std::filesystem::is_empty(folder / "temp") &&
                            !std::filesystem::exists(settings.targetPath) &&
                            !std::filesystem::exists(settings.targetPath + ".tmp0");
        std::exit(failed && early && told && noFile ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

TEST_F(Mends, UnreadableSourceShowsLibraryTextOnlyAndWritesNothing) {
  for (const bool failInfo : {true, false}) {
    SCOPED_TRACE(failInfo);
    ResetFake();
    window.lines.clear();
    UseSource(2, 2, 4, {SolidPicture(2, 2, 1)});
    Fake().failInfo = failInfo;
    Fake().failOpen = !failInfo;
    Fake().setErrorOnFailure = true;
    settings.createHtmlPage = true;
    settings.openResult = true;
    EXPECT_FALSE(Run());
    EXPECT_EQ(window.lines, std::vector<std::string>{"Fehler in der Quelle"});
    EXPECT_FALSE(std::filesystem::exists(settings.targetPath));
    EXPECT_TRUE(window.codeLines.empty());
    EXPECT_TRUE(window.opened.empty());
    EXPECT_TRUE(Fake().imageReads.empty());
  }
}

TEST_F(Mends, SourceWithoutUsableFrameRateCountsAsUnreadable) {
  for (const double rate : {0.0, -25.0, std::numeric_limits<double>::quiet_NaN()}) {
    SCOPED_TRACE(rate);
    ResetFake();
    window.lines.clear();
    UseSource(2, 2, rate, {SolidPicture(2, 2, 1)});
    EXPECT_FALSE(Run());
    EXPECT_EQ(window.lines, std::vector<std::string>{"Die Datei clip.avi kann nicht gelesen werden."});
    EXPECT_FALSE(std::filesystem::exists(settings.targetPath));
  }
}

std::vector<Picture> OnePixelSteps(int count) {
  std::vector<Picture> frames;
  for (int i = 0; i < count; ++i) {
    Picture picture = SolidPicture(3, 2, 40);
    SetPixel(picture, 3, 2, 2, 1, static_cast<std::uint8_t>(i));
    frames.push_back(picture);
  }
  return frames;
}

TEST_F(Mends, UnwrittenTemporaryFileIsToldOnceAndNextPictureIsWhole) {
  const std::vector<Picture> frames = OnePixelSteps(4);
  UseSource(3, 2, 4, frames);
  settings.framesPerSecond = 4;
  Imaging().failSaves = 2;
  ASSERT_EQ(Outcome(), ConversionOutcome::Incomplete);
  const std::string line = "Die temporäre Bilddatei " + Imaging().savedPaths.at(0) + " kann nicht geschrieben werden.";
  EXPECT_EQ(std::count(window.lines.begin(), window.lines.end(), line), 1);
  const SwfMovie movie = Movie();
  const auto bitmaps = TagsWithCode(movie, tags::kDefineBitsJPEG2);
  ASSERT_EQ(bitmaps.size(), 2u);
  EXPECT_EQ(ParseBitmap(*bitmaps[0])->second.width, 3);  // frame 2, whole
  EXPECT_EQ(ParseBitmap(*bitmaps[1])->second.width, 1);  // frame 3, its change only
  const Replay replay = ReplayMovie(movie, 3, 2);
  ASSERT_EQ(replay.error, "");
  EXPECT_EQ(replay.frames[2], frames[2]);
  EXPECT_EQ(replay.frames[3], frames[3]);
}

TEST_F(Mends, PictureWithoutMemoryIsToldOnceAndTheMovieIsIncomplete) {
  UseSource(3, 2, 4, OnePixelSteps(3));
  settings.framesPerSecond = 4;
  Imaging().failNewdibSizes = {{3, 2}};
  ASSERT_EQ(Outcome(), ConversionOutcome::Incomplete);
  EXPECT_EQ(std::count_if(window.lines.begin(), window.lines.end(),
                          [](const std::string& l) { return l.find("Speicher") != std::string::npos; }),
            1);
  EXPECT_NE(
      std::find(window.lines.begin(), window.lines.end(), "Für das Bild von Frame 1 ist nicht genug Speicher frei."),
      window.lines.end());
  EXPECT_TRUE(TagsWithCode(Movie(), tags::kDefineBitsJPEG2).empty());
}

struct UnusableFolderCase {
  const char* name;
  const char* tmpdir;
  bool fileInPlace;
  const char* reason;
};

class UnusableTempFolder : public ConversionFixture, public testing::WithParamInterface<UnusableFolderCase> {};

TEST_P(UnusableTempFolder, EndsTheRunBeforeAnyPictureWithOneLine) {
  const std::filesystem::path tmpdir = folder / GetParam().tmpdir;
  if (GetParam().fileInPlace) std::ofstream(tmpdir) << "a file";
  setenv("TMPDIR", tmpdir.c_str(), 1);
  UseSource(3, 2, 4, OnePixelSteps(3));
  ASSERT_EQ(Outcome(), ConversionOutcome::NotWritten);
  EXPECT_EQ(window.lines, std::vector<std::string>{"Der temporäre Ordner " + tmpdir.string() +
                                                   " kann nicht benutzt werden (" + GetParam().reason + ")."});
  EXPECT_TRUE(Fake().imageReads.empty());
  EXPECT_FALSE(std::filesystem::exists(settings.targetPath));
}

INSTANTIATE_TEST_SUITE_P(
    Refused, UnusableTempFolder,
    testing::Values(UnusableFolderCase{"Missing", "gibt-es-nicht", false, "Datei oder Ordner nicht gefunden"},
                    UnusableFolderCase{"FileInItsPlace", "datei", true, "Ein Teil des Pfads ist kein Ordner"}),
    [](const testing::TestParamInfo<UnusableFolderCase>& info) { return info.param.name; });

TEST_F(Mends, WalkEndsBeforeFrameCountPassesSixteenBits) {
  UseSource(1, 1, 1, std::vector<Picture>(600, SolidPicture(1, 1, 5)));
  settings.framesPerSecond = 120;
  ASSERT_EQ(Outcome(), ConversionOutcome::Incomplete);
  const SwfMovie movie = Movie();
  EXPECT_EQ(movie.frameCount, 65535);
  EXPECT_EQ(TagsWithCode(movie, tags::kShowFrame).size(), 65535u);
  EXPECT_EQ(movie.tags.at(movie.tags.size() - 2).code, tags::kShowFrame);
  ASSERT_GE(window.lines.size(), 3u);
  EXPECT_EQ(window.lines[window.lines.size() - 3], kMovieLimitLine);
  EXPECT_EQ(window.lines.back(), "Konvertiertung beendet.");
  EXPECT_LT(Fake().imageReads.size(), 600u);
}

TEST_F(Mends, WalkEndsBeforeTheFileLengthPassesItsField) {
  std::vector<Picture> frames;
  for (int i = 0; i < 400; ++i) frames.push_back(SolidPicture(4, 4, static_cast<std::uint8_t>(i % 2)));
  UseSource(4, 4, 25, frames);
  settings.framesPerSecond = 25;
  settings.largestMovieBytes = 30000;
  ASSERT_EQ(Outcome(), ConversionOutcome::Incomplete);
  const SwfMovie movie = Movie();
  EXPECT_LE(std::filesystem::file_size(settings.targetPath), settings.largestMovieBytes);
  EXPECT_GT(movie.frameCount, 10);
  EXPECT_LT(movie.frameCount, 400);
  EXPECT_EQ(window.lines[window.lines.size() - 3], kMovieLimitLine);
}

TEST_F(Mends, WalkEndsBeforeCharacterIdsPassSixteenBits) {
  // Every picture changes and takes two ids: 32767 pictures use ids 1 to 65534.
  std::vector<Picture> frames;
  for (int i = 0; i < 32800; ++i) frames.push_back(SolidPicture(1, 1, static_cast<std::uint8_t>(i % 2)));
  UseSource(1, 1, 128, frames);
  settings.framesPerSecond = 128;
  ASSERT_EQ(Outcome(), ConversionOutcome::Incomplete);
  const SwfMovie movie = Movie();
  EXPECT_EQ(TagsWithCode(movie, tags::kDefineBitsJPEG2).size(), 32767u);
  EXPECT_EQ(movie.frameCount, 32767);
  EXPECT_EQ(ParsePlacement(*TagsWithCode(movie, tags::kPlaceObject2).back())->characterID, 65534);
  EXPECT_EQ(window.lines[window.lines.size() - 3], kMovieLimitLine);
  EXPECT_EQ(Fake().imageReads.size(), 32768u);
}

}  // namespace
