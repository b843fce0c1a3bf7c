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
    return [this](const std::string& path) { opened.push_back(path); };
  }

  struct Saved {
    std::string path, movieName;
    std::vector<std::string> lines;
  };
  std::ostringstream out;
  std::ostringstream err;
  std::vector<Saved> saved;
  std::vector<std::string> opened;
  ConsoleWindow window;
};

TEST(ConsoleWindow, ProgressLinesGoToTheOutputAndEveryOtherLineToTheErrorStream) {
  struct Case {
    const char* line;
    bool progress;
  };
  const Case cases[] = {
      {"Starte Konvertierung...", true},
      {"Frame 101 von 250", true},
      {"Frame 0 von -1", true},
      {"Konvertiertung beendet.", true},
      {"Die Datei x.avi kann nicht gelesen werden.", false},
      {"Datei /f/film.swf kann nicht erstellt werden", false},
      {"Der Film hat die größte Länge erreicht, die das Flash-Format erlaubt.", false},
      {"Frame 3 von 4 fehlt", false},
      {"", false},
  };
  for (const Case& c : cases) {
    for (const bool quiet : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.line << (quiet ? " quiet" : ""));
      Console console({.quiet = quiet});
      console.window.ShowStatusLine(c.line);
      const std::string printed = std::string(c.line) + "\n";
      EXPECT_EQ(console.out.str(), c.progress && !quiet ? printed : "");
      EXPECT_EQ(console.err.str(), c.progress ? "" : printed);
    }
  }
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
