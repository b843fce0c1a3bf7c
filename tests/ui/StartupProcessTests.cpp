// The real program as a child process: without the imaging module it shows
// one message and no window; with it beside the program it starts.
#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/ProcessRunner.h"
#include "ui/QtDialogProvider.h"
#include "ui/Startup.h"

namespace {

struct ChildRun {
  ProgramResult result;
  std::vector<std::string> autotestLines;
};

// Copies the program (and the module, when asked) into a folder of its own
// and runs it there with nothing else pointing at the module.
ChildRun RunCopiedProgram(const QTemporaryDir& dir, bool withModule, std::vector<std::string> arguments) {
  const std::filesystem::path folder = dir.path().toStdString();
  std::filesystem::copy_file(TESSALINE_BINARY, folder / "tessaline");
  if (withModule) std::filesystem::copy_file(PICTAVO_MODULE, folder / "libPictavo.so");
  arguments.insert(arguments.begin(), (folder / "tessaline").string());
  ChildRun run{RunProgram({.argv = arguments,
                           .workDir = folder,
                           .extraEnvironment = {"TESSALINE_MODULE_DIR=", "LD_LIBRARY_PATH=",
                                                std::string(kAutotestVariable) + "=1", "QT_QPA_PLATFORM=offscreen"},
                           .timeoutSeconds = 120}),
               {}};
  std::istringstream err(run.result.err);
  for (std::string line; std::getline(err, line);) {
    if (line.starts_with(kAutotestPrefix)) run.autotestLines.push_back(line);
  }
  return run;
}

TEST(ProgramStart, MissingModuleShowsExactlyOneMessageAndNoWindow) {
  QTemporaryDir dir;
  const ChildRun run = RunCopiedProgram(dir, false, {});
  EXPECT_FALSE(run.result.timedOut);
  EXPECT_EQ(run.result.exitCode, 1);
  EXPECT_EQ(run.autotestLines,
            std::vector<std::string>{std::string(kAutotestPrefix) + "message: Could not load file Pictavo.DLL"});
}

TEST(ProgramStart, ModuleBesideTheProgramIsFoundAndBothWindowsAreMade) {
  QTemporaryDir dir;
  const QString shots = dir.filePath("bilder");
  const ChildRun run = RunCopiedProgram(dir, true, {"--screenshot", shots.toStdString()});
  EXPECT_FALSE(run.result.timedOut);
  EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
  EXPECT_TRUE(run.autotestLines.empty()) << run.result.err;
  EXPECT_EQ(QImage(shots + "/mainwindow.png").size(), QSize(734, 514));
  EXPECT_EQ(QImage(shots + "/aboutbox.png").size(), QSize(664, 453));
}

// Answered before the window, so also where no display is.
TEST(ProgramStart, HelpAndVersionPrintAndEndWithoutADisplay) {
  const std::pair<const char*, const char*> cases[] = {{"--help", "Aufruf: tessaline [VIDEODATEI]\n"},
                                                       {"-h", "Aufruf: tessaline [VIDEODATEI]\n"},
                                                       {"--version", "tessaline 1.0\nQt "}};
  for (const auto& [option, start] : cases) {
    SCOPED_TRACE(option);
    const ProgramResult run = RunProgram({.argv = {TESSALINE_BINARY, "film.avi", option},
                                          .extraEnvironment = {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="},
                                          .timeoutSeconds = 60});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.out.starts_with(start)) << run.out;
    EXPECT_EQ(run.err, "");
  }
}

TEST(ProgramStart, DoubleDashMakesTheRestTheSource) {
  std::ostringstream out;
  EXPECT_EQ(AnswerInfoOption({"tessaline", "--", "--help"}, out), std::nullopt);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(ParseStartupOptions({"tessaline", "--", "--help"}).sourceFile, "--help");
  EXPECT_EQ(ParseStartupOptions({"tessaline", "--", "--screenshot", "x"}).screenshotDir, "");
}

}  // namespace
