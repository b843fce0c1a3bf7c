// What the real program answers, prints and leaves behind for scripts.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <thread>

#include "CliFixture.h"

namespace {

namespace fs = std::filesystem;
using namespace swf_codes;

using CommandLine = CliFixture;

TEST_F(CommandLine, GoodFileExitsWithZeroAndWritesBesideTheSourceByDefault) {
  fs::copy_file(TestClip(ClipKind::AviMpeg4Pcm), Dir() / "urlaub.avi");
  ProgramResult run = RunCli({"urlaub.avi", "--no-html"});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  ReadCheckedMovie(Dir() / "urlaub.swf");
  EXPECT_FALSE(fs::exists(Dir() / "urlaub.htm"));
  EXPECT_NE(run.out.find("<embed src=\"urlaub.swf\" quality=\"high\" pluginspage=\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Film geschrieben: urlaub.swf\n"), std::string::npos) << run.out;
}

TEST_F(CommandLine, MissingFileExitsWithOneAndWritesNothing) {
  ProgramResult run = RunCli({"fehlt.avi"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.out.find("fehlt.avi"), std::string::npos) << "the library's error names the file: " << run.out;
  EXPECT_FALSE(fs::exists(Dir() / "fehlt.swf"));
  EXPECT_FALSE(fs::exists(Dir() / "fehlt.htm"));
}

TEST_F(CommandLine, CorruptFileExitsWithOne) {
  {
    std::ofstream corrupt(Dir() / "kaputt.avi", std::ios::binary);
    corrupt << "RIFF\x10\x00\x00\x00"
               "AVI LIST";
    for (int i = 0; i < 4000; ++i) corrupt.put(static_cast<char>(i * 37 % 251));
  }
  ProgramResult run = RunCli({"kaputt.avi"});
  EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
  EXPECT_FALSE(fs::exists(Dir() / "kaputt.htm"));
}

TEST_F(CommandLine, UnwritableTargetExitsWithOneAndSaysSo) {
  { std::ofstream(Dir() / "datei") << "a file where a folder would have to be"; }
  std::string target = (Dir() / "datei" / "film.swf").string();
  ProgramResult run = RunCli({"-o", target, TestClip(ClipKind::AviMpeg4Pcm).string()});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.out.find("Konvertiertung beendet.\nDatei " + target + " kann nicht erstellt werden\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find("<object"), std::string::npos) << "no hand-off after a failed write";
}

TEST_F(CommandLine, UnwritablePageExitsWithOneAfterTheMovieIsWritten) {
  fs::create_directory(Dir() / "film.htm");  // a folder where the page would go
  ProgramResult run = RunCli({"-o", "film.swf", TestClip(ClipKind::AviMpeg4Pcm).string()});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Datei film.htm kann nicht erstellt werden\n");
  ReadCheckedMovie(Dir() / "film.swf");
}

struct BadOptionCase {
  const char* name;
  std::vector<std::string> args;
  const char* reason;
};

void PrintTo(const BadOptionCase& c, std::ostream* os) { *os << c.name; }

class BadOptions : public CliFixture, public testing::WithParamInterface<BadOptionCase> {};

TEST_P(BadOptions, ExitWithTwoAndAGermanReasonBeforeAnyWork) {
  std::vector<std::string> args = GetParam().args;
  for (std::string& arg : args) {
    if (arg == "CLIP") arg = TestClip(ClipKind::AviMpeg4Pcm).string();
  }
  ProgramResult run = RunCli(args);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find(GetParam().reason), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("--help"), std::string::npos) << run.err;
  EXPECT_TRUE(fs::is_empty(Dir()));
}

INSTANTIATE_TEST_SUITE_P(
    Refused, BadOptions,
    testing::Values(BadOptionCase{"FpsOutOfRange", {"--fps", "121", "-o", "x.swf", "CLIP"}, "--fps"},
                    BadOptionCase{
                        "CompressionOutOfRange", {"--compression=-5", "-o", "x.swf", "CLIP"}, "--compression"},
                    BadOptionCase{"RateNotOffered", {"--rate", "48000", "-o", "x.swf", "CLIP"}, "--rate"},
                    BadOptionCase{"UnknownOption", {"--schnell", "-o", "x.swf", "CLIP"}, "Unbekannte Option"},
                    BadOptionCase{"NoSource", {"--fps", "10"}, "Keine Quelldatei"},
                    BadOptionCase{"SameMovieTwice", {"-o", "out", "CLIP", "CLIP"}, "denselben Film"}),
    [](const testing::TestParamInfo<BadOptionCase>& info) { return std::string(info.param.name); });

TEST_F(CommandLine, HelpAndVersionAnswerWithoutConverting) {
  ProgramResult help = RunCli({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.out.starts_with("Aufruf: tessaline-cli [Optionen] QUELLE… [-o ZIEL]\n")) << help.out;
  ProgramResult version = RunCli({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "tessaline-cli 1.0\n");
}

TEST_F(CommandLine, SeveralSourcesGoIntoANewFolder) {
  ProgramResult run = RunCli({"--no-audio", "-o", "filme/neu", TestClip(ClipKind::AviMpeg4Pcm).string(),
                              TestClip(ClipKind::VobMpeg2Ac3).string()});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  ReadCheckedMovie(Dir() / "filme/neu/mpeg4.swf");
  ReadCheckedMovie(Dir() / "filme/neu/mpeg2.swf");
  EXPECT_TRUE(fs::exists(Dir() / "filme/neu/mpeg4.htm"));
  EXPECT_TRUE(fs::exists(Dir() / "filme/neu/mpeg2.htm"));
}

TEST_F(CommandLine, OneFailedSourceFailsTheBatchButTheOthersAreWritten) {
  ProgramResult run = RunCli({"--no-audio", "-o", "filme", "fehlt.mpg", TestClip(ClipKind::MpgMpeg1Mp2).string()});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_FALSE(fs::exists(Dir() / "filme/fehlt.swf"));
  ReadCheckedMovie(Dir() / "filme/mpeg1.swf");
}

TEST_F(CommandLine, ModuleMissingBesideTheProgramStopsWithItsMessage) {
  fs::copy_file(TESSALINE_CLI_PATH, Dir() / "tessaline-cli");
  ProgramResult run = RunProgram({{(Dir() / "tessaline-cli").string(), "x.avi"}, Dir()});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Could not load file Pictavo.DLL\n");
}

TEST_F(CommandLine, ProgressBarOnlyOnATerminal) {
  std::string clip = TestClip(ClipKind::AviMpeg4Pcm).string();
  ProgramResult onTerminal = RunCli({"--no-audio", "--fps", "25", "-o", "a.swf", clip}, {}, true);
  EXPECT_EQ(onTerminal.exitCode, 0);
  EXPECT_NE(onTerminal.err.find("\r[####################] 25/25 Frames  100 %"), std::string::npos) << onTerminal.err;
  EXPECT_EQ(onTerminal.out.find('\r'), std::string::npos);

  ProgramResult piped = RunCli({"--no-audio", "--fps", "25", "-o", "b.swf", clip});
  EXPECT_EQ(piped.exitCode, 0);
  EXPECT_EQ(piped.err, "");
}

// A stand-in for the desktop's opener that notes what it was asked to open.
std::vector<std::string> FakeOpenerEnvironment(const fs::path& dir) {
  fs::create_directory(dir / "bin");
  fs::path opener = dir / "bin" / "xdg-open";
  { std::ofstream(opener) << "#!/bin/sh\necho \"$1\" >> \"" << (dir / "geoeffnet.txt").string() << "\"\n"; }
  fs::permissions(opener, fs::perms::owner_all);
  return {"PATH=" + (dir / "bin").string() + ":" + getenv("PATH")};
}

std::string WaitForFile(const fs::path& file) {
  for (int i = 0; i < 100 && !fs::exists(file); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return ReadWholeFile(file);
}

TEST_F(CommandLine, OpensTheResultOnlyWhenAsked) {
  std::vector<std::string> environment = FakeOpenerEnvironment(Dir());
  std::string clip = TestClip(ClipKind::AviMpeg4Pcm).string();
  ASSERT_EQ(RunCli({"--no-audio", "-o", "still.swf", clip}, environment).exitCode, 0);
  ASSERT_EQ(RunCli({"--no-audio", "--open", "-o", "offen.swf", clip}, environment).exitCode, 0);
  ASSERT_EQ(RunCli({"--no-audio", "--no-html", "--open", "-o", "film.swf", clip}, environment).exitCode, 0);
  std::string opened;
  for (int i = 0; i < 100 && std::count(opened.begin(), opened.end(), '\n') < 2; ++i) {
    opened = WaitForFile(Dir() / "geoeffnet.txt");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  // The page when one is written, else the movie; nothing for the run without --open.
  EXPECT_TRUE(opened == "offen.htm\nfilm.swf\n" || opened == "film.swf\noffen.htm\n") << opened;
}

}  // namespace
