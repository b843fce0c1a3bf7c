#include "cli/ConsoleWindow.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct Console {
  explicit Console(ConsoleChoices choices = {}, ProgressBar* bar = nullptr)
      : window(out, err, bar, Writer(), Opener(), choices) {}

  ConsoleWindow::PageWriter Writer() {
    return [this](const std::string& path, const std::string& movieName, const std::vector<std::string>& lines) {
      saved.push_back({path, movieName, lines});
    };
  }
  ConsoleWindow::Opener Opener() {
    return [this](const std::string& path) {
      opened.push_back(path);
      return openWorks;
    };
  }

  struct Saved {
    std::string path, movieName;
    std::vector<std::string> lines;
  };
  std::ostringstream out;
  std::ostringstream err;
  std::vector<Saved> saved;
  std::vector<std::string> opened;
  bool openWorks = true;
  ConsoleWindow window;
};

TEST(ConsoleWindow, TheLinesKindDecidesItsStreamNotItsText) {
  struct Case {
    LineKind kind;
    const char* line;
    bool onOutput;
  };
  const Case cases[] = {
      {LineKind::Status, "Frame 101 von 250", true},
      {LineKind::Status, "Starte Konvertierung...", true},
      {LineKind::Status, "eine ganz andere Zeile", true},
      {LineKind::Warning, "Frame 3 von 4", false},
      {LineKind::Warning, "Der Ton der Datei a.avi kann nicht gelesen werden; der Film bleibt stumm.", false},
      {LineKind::Problem, "Datei /f/film.swf kann nicht erstellt werden", false},
  };
  for (const Case& c : cases) {
    for (const bool quiet : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.line << (quiet ? " quiet" : ""));
      Console console({.quiet = quiet});
      console.window.ShowLine(c.kind, c.line);
      EXPECT_EQ(console.out.str(), c.onOutput && !quiet ? std::string(c.line) + "\n" : "");
      EXPECT_EQ(console.err.str(), c.onOutput ? "" : "tessaline-cli: " + std::string(c.line) + "\n");
      EXPECT_EQ(console.window.Reason(), c.onOutput ? "" : c.line);
    }
  }
}

TEST(ConsoleWindow, PlainStatusLinesAreStatusAndProblemHelpersAreProblems) {
  Console console;
  console.window.ShowStatusLine("Frame 1 von 2");
  console.window.ShowProblemLine("kaputt");
  EXPECT_EQ(console.out.str(), "Frame 1 von 2\n");
  EXPECT_EQ(console.err.str(), "tessaline-cli: kaputt\n");
}

TEST(ConsoleWindow, CodeLinesArePrintedAfterTheRunOnlyWhenAsked) {
  for (const bool quiet : {false, true}) {
    Console asked({.printCode = true, .quiet = quiet});
    asked.window.BeginRun("film.swf");
    asked.window.AppendCodeLine("<object>");
    asked.window.AppendCodeLine("</object>");
    EXPECT_EQ(asked.out.str(), "");
    asked.window.EndRun();
    EXPECT_EQ(asked.out.str(), "<object>\n</object>\n");
  }
  Console notAsked;
  notAsked.window.BeginRun("film.swf");
  notAsked.window.AppendCodeLine("<object>");
  notAsked.window.EndRun();
  EXPECT_EQ(notAsked.out.str(), "");
}

TEST(ConsoleWindow, ARunThatNeverFilledTheCodeBoxPrintsNoOldLines) {
  Console console({.printCode = true});
  console.window.BeginRun("a.swf");
  console.window.AppendCodeLine("from the first run");
  console.window.EndRun();
  console.out.str("");
  console.window.BeginRun("b.swf");
  console.window.EndRun();
  EXPECT_EQ(console.out.str(), "");
}

TEST(ConsoleWindow, ClearingTheCodeBoxReplacesItsLines) {
  Console console;
  console.window.AppendCodeLine("old");
  console.window.ClearCodeLines();
  console.window.AppendCodeLine("new");
  EXPECT_EQ(console.window.CodeLines(), std::vector<std::string>{"new"});
}

TEST(ConsoleWindow, SavesTheCodeBoxWithTheRunsMovieNameThroughItsWriter) {
  Console console;
  console.window.BeginRun("erster.swf");
  console.window.BeginRun("zweiter.swf");
  console.window.AppendCodeLine("a");
  console.window.AppendCodeLine("b");
  console.window.SaveCodeLines("/tmp/x.htm");
  ASSERT_EQ(console.saved.size(), 1u);
  EXPECT_EQ(console.saved[0].path, "/tmp/x.htm");
  EXPECT_EQ(console.saved[0].movieName, "zweiter.swf");
  EXPECT_EQ(console.saved[0].lines, (std::vector<std::string>{"a", "b"}));
}

TEST(ConsoleWindow, OpensOnlyWhenAllowed) {
  Console scripted;
  scripted.window.ShellOpen("/tmp/film.htm");
  EXPECT_TRUE(scripted.opened.empty());
  Console asked({.allowOpen = true});
  asked.window.ShellOpen("/tmp/film.htm");
  EXPECT_EQ(asked.opened, std::vector<std::string>{"/tmp/film.htm"});
}

TEST(ConsoleWindow, OpeningThatNothingTookIsOneWarning) {
  Console console({.allowOpen = true});
  console.openWorks = false;
  console.window.ShellOpen("/tmp/film.htm");
  EXPECT_EQ(console.err.str(),
            "tessaline-cli: Kein Programm hat /tmp/film.htm geöffnet (xdg-open fehlt oder kennt keins dafür).\n");
}

TEST(ConsoleWindow, OnATerminalStatusLinesGoIntoTheBarInsteadOfScrolling) {
  std::ostringstream bar;
  ProgressBar progress(bar);
  Console console({.outIsTerminal = true}, &progress);
  console.window.BeginRun("a.swf", "Konvertiere a.avi nach a.swf");
  console.window.ShowStatusLine("Frame 1 von 10");
  console.window.ShowProgress(3, 10);
  console.window.ShowStatusLine("Frame 101 von 250");
  EXPECT_EQ(console.out.str(), "Konvertiere a.avi nach a.swf\n");
  EXPECT_NE(bar.str().find("3/10 Frames"), std::string::npos);
  console.window.ShowWarningLine("Ton fehlt");
  EXPECT_TRUE(bar.str().ends_with("\r\033[K")) << "the bar leaves the line to the warning";
}

TEST(ConsoleWindow, ProgressBlocksFollowTheRunAndEndWithIt) {
  Console console;
  std::ostringstream blocks;
  auto now = std::chrono::steady_clock::time_point();
  ProgressLog log(blocks, [&] { return now; });
  console.window.ReportProgressTo(&log);
  console.window.BeginRun("a.swf", "", "a.avi");
  console.window.ShowMovieSoFar(0.2, 100);
  console.window.ShowProgress(1, 4);
  now += std::chrono::milliseconds(100);
  console.window.ShowProgress(2, 4);  // too soon for a block
  now += ProgressLog::kInterval;
  console.window.ShowMovieSoFar(3661.5, 2000);
  console.window.ShowProgress(3, 4);
  console.window.EndRun();
  EXPECT_EQ(blocks.str(),
            "source=a.avi\nframe=1\ntotal=4\npercent=25\nout_time=00:00:00.200000\nbytes=100\nprogress=continue\n"
            "source=a.avi\nframe=3\ntotal=4\npercent=75\nout_time=01:01:01.500000\nbytes=2000\nprogress=continue\n"
            "source=a.avi\nframe=3\ntotal=4\npercent=75\nout_time=01:01:01.500000\nbytes=2000\nprogress=end\n");
}

TEST(ConsoleWindow, StatusLinesTakeTheProgressBarOffTheScreenFirst) {
  std::ostringstream bar;
  ProgressBar progress(bar);
  Console console({}, &progress);
  console.window.ShowProgress(3, 10);
  EXPECT_NE(bar.str().find("3/10 Frames"), std::string::npos);
  console.window.ShowStatusLine("Frame 101 von 250");
  EXPECT_TRUE(bar.str().ends_with("\r\033[K"));
  EXPECT_EQ(console.out.str(), "Frame 101 von 250\n");
}

TEST(ConsoleWindow, WithoutAProgressBarProgressPrintsNothing) {
  Console console;
  console.window.ShowProgress(3, 10);
  console.window.ProcessPendingInput();
  EXPECT_EQ(console.out.str(), "");
  EXPECT_EQ(console.err.str(), "");
}

}  // namespace
