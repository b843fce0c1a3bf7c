// A DVD title stored over three VOB files, cut at sector boundaries inside
// groups of pictures: named by its first part, or joined explicitly, it is
// one movie in which every flash meets its beep within one movie frame; each
// part alone keeps its sound in step from its first picture.
#include <algorithm>
#include <cmath>
#include <iostream>
#include <ostream>

#include "CliFixture.h"
#include "tests/support/ClipMaker.h"
#include "tests/support/FlashBeep.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFps = 25;
constexpr std::uintmax_t kSector = 2048;
const char* const kJoinedLine = "Teile zu einem Film verbunden: VTS_01_1.VOB, VTS_01_2.VOB, VTS_01_3.VOB";

struct TitleCase {
  const char* name;
  std::vector<std::string> args;  // the parts by name, in the folder they lie in
  int part;                       // in the movie; 0: the whole title
  bool joined;                    // the line naming the parts is shown
};

void PrintTo(const TitleCase& c, std::ostream* os) { *os << c.name; }

const TitleCase kCases[] = {
    {"WholeTitleByItsFirstPart", {"VTS_01_1.VOB"}, 0, true},
    // As VTS_01_*.VOB names them: the later parts are not movies of their own.
    {"TitleNamedByAllItsParts", {"VTS_01_1.VOB", "VTS_01_2.VOB", "VTS_01_3.VOB"}, 0, true},
    {"JoinedExplicitly", {"--join", "VTS_01_1.VOB", "VTS_01_2.VOB", "VTS_01_3.VOB"}, 0, true},
    {"FirstPartAlone", {"--single-part", "VTS_01_1.VOB"}, 1, false},
    {"SecondPartAlone", {"VTS_01_2.VOB"}, 2, false},
    {"ThirdPartAlone", {"VTS_01_3.VOB"}, 3, false},
};

// A 12 s flash-and-beep program stream as DVDs hold it (MPEG-2 at a constant
// rate with B-frames in open groups of 12, AC-3), cut at 39 % and 71 % of its
// sectors: the second part starts 3 pictures, the third 11 pictures before
// the first picture that can be decoded.
fs::path MakeTitle(const fs::path& folder) {
  std::vector<std::string> args = FlashBeepInputs({.seconds = 12, .sampleRate = 48000});
  args.insert(args.end(), {"-c:v", "mpeg2video", "-bf", "2", "-g", "12", "-b:v", "600k", "-minrate", "600k", "-maxrate",
                           "600k", "-bufsize", "600k", "-c:a", "ac3", "-f", "dvd"});
  const fs::path whole = CachedClip("title.vob", args);
  const std::uintmax_t sectors = fs::file_size(whole) / kSector;
  SplitFile(whole, {sectors * 39 / 100 * kSector, sectors * 71 / 100 * kSector},
            {folder / "VTS_01_1.VOB", folder / "VTS_01_2.VOB", folder / "VTS_01_3.VOB"});
  return whole;
}

class DvdTitle : public CliFixture, public testing::WithParamInterface<TitleCase> {};

TEST_P(DvdTitle, EveryFlashMeetsItsBeepWithinOneMovieFrame) {
  const TitleCase& c = GetParam();
  const fs::path whole = MakeTitle(Dir());
  std::vector<std::string> args = {"--fps", std::to_string(kFps), "--16bit", "--rate", "22000", "-o", "film.swf"};
  args.insert(args.end(), c.args.begin(), c.args.end());
  const ProgramResult run = RunCli(args);
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(run.out.find(kJoinedLine) != std::string::npos, c.joined) << run.out;

  const SwfMovie movie = ReadCheckedMovie(Dir() / "film.swf");
  const MovieSync sync = FindFlashesAndBeeps(movie);
  // One movie frame for each frame time from the first picture that can be
  // decoded to the last (a part may lack pictures whose data the next holds).
  const fs::path source = c.part == 0 ? whole : Dir() / ("VTS_01_" + std::to_string(c.part) + ".VOB");
  const std::vector<double> times = FfprobePictureTimes(source);
  ASSERT_FALSE(times.empty());
  const double span = *std::max_element(times.begin(), times.end()) - times.front();
  EXPECT_NEAR(sync.frames, std::lround(span * kFps) + 1, 1.0);
  const std::string lastLine = "Frame " + std::to_string(sync.frames) + " von " + std::to_string(sync.frames) + "\n";
  EXPECT_NE(run.out.find(lastLine), std::string::npos) << "the count ends where the pictures do: " << run.out;
  EXPECT_GE(sync.flashFrames.size(), c.part == 0 ? 11u : 3u);
  EXPECT_EQ(sync.beepStarts.size(), sync.flashFrames.size());
  for (double offset : FlashToBeepOffsets(sync)) {
    EXPECT_LE(std::fabs(offset), 1.0 / kFps) << "beep " << offset * 1000 << " ms from its flash";
    std::cout << "[ sync     ] " << c.name << ": beep " << offset * 1000 << " ms from its flash\n";
  }
}

INSTANTIATE_TEST_SUITE_P(SplitVobs, DvdTitle, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<TitleCase>& info) { return std::string(info.param.name); });

}  // namespace
