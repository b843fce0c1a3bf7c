#include "cli/ProgressBar.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using std::chrono::milliseconds;

TEST(ProgressFormat, ShowsBarCountPercentElapsedAndRemaining) {
  // 25 of 100 after 3 s: a quarter of 20 marks, 9 s left at the same pace.
  EXPECT_EQ(FormatProgress(25, 100, milliseconds(3000)),
            "[#####---------------]  25/100 Frames  25 %  0:03 vergangen, noch 0:09");
}

TEST(ProgressFormat, PadsTheCountToTheWidthOfTheTotal) {
  EXPECT_TRUE(FormatProgress(7, 1500, milliseconds(0)).starts_with("[--------------------]    7/1500 Frames"));
}

TEST(ProgressFormat, StartHasNoEstimateAndEndIsFullWithoutRemainder) {
  EXPECT_EQ(FormatProgress(0, 10, milliseconds(500)), "[--------------------]  0/10 Frames  0 %  0:00 vergangen");
  EXPECT_EQ(FormatProgress(10, 10, milliseconds(61000)), "[####################] 10/10 Frames  100 %  1:01 vergangen");
}

TEST(ProgressFormat, WalkingPastAnUnderstatedTotalStaysAtAFullBar) {
  EXPECT_EQ(FormatProgress(12, 10, milliseconds(0)), "[####################] 12/10 Frames  100 %  0:00 vergangen");
}

TEST(ProgressFormat, EstimateOnlyOnceEnoughTimeAndFramesHavePassed) {
  struct Case {
    int walked, total;
    milliseconds elapsed;
    bool estimate;
  };
  const Case cases[] = {
      {50, 100, milliseconds(1999), false}, {50, 100, milliseconds(2000), true}, {1, 100, milliseconds(60000), false},
      {2, 100, milliseconds(60000), true},  {99, 100, milliseconds(5000), true}, {100, 100, milliseconds(5000), false},
  };
  for (const Case& c : cases) {
    const std::string line = FormatProgress(c.walked, c.total, c.elapsed);
    EXPECT_EQ(line.find(", noch ") != std::string::npos, c.estimate) << line;
  }
}

TEST(ProgressFormat, FitsTheWidthByNarrowingTheBarThenDroppingItThenTheTime) {
  const milliseconds elapsed(3000);
  struct Case {
    std::size_t columns;
    const char* line;
  };
  const Case cases[] = {
      {200, "[#####---------------]  25/100 Frames  25 %  0:03 vergangen, noch 0:09"},
      {70, "[#####---------------]  25/100 Frames  25 %  0:03 vergangen, noch 0:09"},
      {69, "[####---------------]  25/100 Frames  25 %  0:03 vergangen, noch 0:09"},
      {55, "[#----]  25/100 Frames  25 %  0:03 vergangen, noch 0:09"},
      {54, " 25/100 Frames  25 %  0:03 vergangen, noch 0:09"},
      {46, " 25/100 Frames  25 %"},
      {10, " 25/100 Fr"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatProgress(25, 100, elapsed, c.columns), c.line) << c.columns;
}

TEST(ProgressFormat, UnknownTotalShowsOnlyCountAndTime) {
  EXPECT_EQ(FormatProgress(42, 0, milliseconds(2500)), "42 Frames  0:02 vergangen");
}

TEST(ProgressFormat, DurationsFromOneHourOnShowHours) {
  EXPECT_EQ(FormatDuration(milliseconds(59999)), "0:59");
  EXPECT_EQ(FormatDuration(milliseconds(3599000)), "59:59");
  EXPECT_EQ(FormatDuration(milliseconds(3600000)), "1:00:00");
  EXPECT_EQ(FormatDuration(milliseconds(-5)), "0:00");
}

class FakeClock {
 public:
  ProgressClock Function() {
    return [this] { return now; };
  }
  void Advance(milliseconds step) { now += step; }
  std::chrono::steady_clock::time_point now{};
};

int CountRedraws(const std::string& text) {
  int count = 0;
  for (char c : text) count += c == '\r';
  return count;
}

TEST(ProgressBarDrawing, RedrawsInPlaceAtMostTenTimesASecond) {
  std::ostringstream out;
  FakeClock clock;
  ProgressBar bar(out, clock.Function());
  for (int frame = 1; frame <= 100; ++frame) {  // 100 frames over one second
    bar.Update(frame, 1000);
    clock.Advance(milliseconds(10));
  }
  EXPECT_EQ(CountRedraws(out.str()), 10);
  EXPECT_EQ(out.str().find('\n'), std::string::npos);
  EXPECT_NE(out.str().find(" 91/1000 Frames"), std::string::npos);
}

TEST(ProgressBarDrawing, LastFrameIsAlwaysDrawn) {
  std::ostringstream out;
  FakeClock clock;
  ProgressBar bar(out, clock.Function());
  bar.Update(1, 3);
  bar.Update(2, 3);
  bar.Update(3, 3);
  EXPECT_EQ(CountRedraws(out.str()), 2);
  EXPECT_NE(out.str().find("3/3 Frames  100 %"), std::string::npos);
}

TEST(ProgressBarDrawing, ElapsedTimeCountsFromStart) {
  std::ostringstream out;
  FakeClock clock;
  ProgressBar bar(out, clock.Function());
  clock.Advance(milliseconds(90000));
  bar.Start();
  clock.Advance(milliseconds(4000));
  bar.Update(1, 2);
  EXPECT_NE(out.str().find("0:04 vergangen, noch 0:04"), std::string::npos) << out.str();
}

TEST(ProgressBarDrawing, ClearErasesTheLineOnceAndTheNextUpdateRedrawsAtOnce) {
  std::ostringstream out;
  FakeClock clock;
  ProgressBar bar(out, clock.Function());
  bar.Clear();
  EXPECT_EQ(out.str(), "");  // nothing drawn yet, nothing to erase
  bar.Update(1, 10);
  bar.Clear();
  bar.Clear();
  std::string afterClear = out.str();
  EXPECT_TRUE(afterClear.ends_with("\r\033[K"));
  EXPECT_EQ(CountRedraws(afterClear), 2);
  bar.Update(2, 10);  // same instant, but the screen shows no bar
  EXPECT_NE(out.str().find("2/10 Frames"), std::string::npos);
}

}  // namespace
