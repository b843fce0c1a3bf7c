#include "cli/ConsoleWindow.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct Recorder {
  std::vector<std::pair<std::string, std::vector<std::string>>> saved;
  std::vector<std::string> opened;

  ConsoleWindow::LinesWriter Writer() {
    return [this](const std::string& path, const std::vector<std::string>& lines) { saved.emplace_back(path, lines); };
  }
  ConsoleWindow::Opener Opener() {
    return [this](const std::string& path) { opened.push_back(path); };
  }
};

TEST(ConsoleWindow, PrintsEveryStatusLineNotOnlyTheLastFive) {
  std::ostringstream out;
  Recorder recorder;
  ConsoleWindow window(out, nullptr, recorder.Writer(), recorder.Opener(), false);
  std::string expected;
  for (int i = 1; i <= 8; ++i) {
    window.ShowStatusLine("Zeile " + std::to_string(i));
    expected += "Zeile " + std::to_string(i) + "\n";
  }
  EXPECT_EQ(out.str(), expected);
}

TEST(ConsoleWindow, PrintsTheCodeLinesAfterTheRunOnly) {
  std::ostringstream out;
  Recorder recorder;
  ConsoleWindow window(out, nullptr, recorder.Writer(), recorder.Opener(), false);
  window.BeginRun();
  window.ClearCodeLines();
  window.AppendCodeLine("<object>");
  window.AppendCodeLine("</object>");
  EXPECT_EQ(out.str(), "");
  window.EndRun();
  EXPECT_EQ(out.str(), "<object>\n</object>\n");
}

TEST(ConsoleWindow, ARunThatNeverFilledTheCodeBoxPrintsNoOldLines) {
  std::ostringstream out;
  Recorder recorder;
  ConsoleWindow window(out, nullptr, recorder.Writer(), recorder.Opener(), false);
  window.BeginRun();
  window.AppendCodeLine("from the first run");
  window.EndRun();
  out.str("");
  window.BeginRun();
  window.EndRun();
  EXPECT_EQ(out.str(), "");
}

TEST(ConsoleWindow, ClearingTheCodeBoxReplacesItsLines) {
  std::ostringstream out;
  Recorder recorder;
  ConsoleWindow window(out, nullptr, recorder.Writer(), recorder.Opener(), false);
  window.AppendCodeLine("old");
  window.ClearCodeLines();
  window.AppendCodeLine("new");
  EXPECT_EQ(window.CodeLines(), std::vector<std::string>{"new"});
}

TEST(ConsoleWindow, SavesTheCodeBoxThroughItsWriter) {
  std::ostringstream out;
  Recorder recorder;
  ConsoleWindow window(out, nullptr, recorder.Writer(), recorder.Opener(), false);
  window.AppendCodeLine("a");
  window.AppendCodeLine("b");
  window.SaveCodeLines("/tmp/x.htm");
  ASSERT_EQ(recorder.saved.size(), 1u);
  EXPECT_EQ(recorder.saved[0].first, "/tmp/x.htm");
  EXPECT_EQ(recorder.saved[0].second, (std::vector<std::string>{"a", "b"}));
}

TEST(ConsoleWindow, OpensOnlyWhenAllowed) {
  std::ostringstream out;
  Recorder quiet;
  ConsoleWindow scripted(out, nullptr, quiet.Writer(), quiet.Opener(), false);
  scripted.ShellOpen("/tmp/film.htm");
  EXPECT_TRUE(quiet.opened.empty());

  Recorder asked;
  ConsoleWindow opening(out, nullptr, asked.Writer(), asked.Opener(), true);
  opening.ShellOpen("/tmp/film.htm");
  EXPECT_EQ(asked.opened, std::vector<std::string>{"/tmp/film.htm"});
}

TEST(ConsoleWindow, StatusLinesTakeTheProgressBarOffTheScreenFirst) {
  std::ostringstream out;
  std::ostringstream err;
  Recorder recorder;
  ProgressBar bar(err);
  ConsoleWindow window(out, &bar, recorder.Writer(), recorder.Opener(), false);
  window.ShowProgress(3, 10);
  EXPECT_NE(err.str().find("3/10 Frames"), std::string::npos);
  window.ShowStatusLine("Frame 101 von 250");
  EXPECT_TRUE(err.str().ends_with("\r\033[K"));
  EXPECT_EQ(out.str(), "Frame 101 von 250\n");
}

TEST(ConsoleWindow, WithoutAProgressBarProgressPrintsNothing) {
  std::ostringstream out;
  Recorder recorder;
  ConsoleWindow window(out, nullptr, recorder.Writer(), recorder.Opener(), false);
  window.ShowProgress(3, 10);
  window.ProcessPendingInput();
  EXPECT_EQ(out.str(), "");
}

}  // namespace
