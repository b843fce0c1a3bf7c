// What the real program answers, prints and leaves behind for scripts.
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "CliFixture.h"
#include "cli/ResultJson.h"
#include "tests/support/ClipMaker.h"

namespace {

namespace fs = std::filesystem;
using namespace swf_codes;

using CommandLine = CliFixture;

TEST_F(CommandLine, GoodFileExitsWithZeroAndWritesBesideTheSourceByDefault) {
  fs::copy_file(TestClip(ClipKind::AviMpeg4Pcm), Dir() / "urlaub.avi");
  ProgramResult run = RunCli({"urlaub.avi", "--no-html", "--print-code"});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  ReadCheckedMovie(Dir() / "urlaub.swf");
  EXPECT_FALSE(fs::exists(Dir() / "urlaub.htm"));
  EXPECT_EQ(run.err, "");
  EXPECT_NE(run.out.find("<embed src=\"urlaub.swf\" quality=\"high\" pluginspage=\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Film geschrieben: urlaub.swf\n"), std::string::npos) << run.out;
}

TEST_F(CommandLine, MissingFileExitsWithOneAndWritesNothing) {
  ProgramResult run = RunCli({"fehlt.avi"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("fehlt.avi"), std::string::npos) << "the library's error names the file: " << run.err;
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

TEST_F(CommandLine, UnwritableTargetExitsWithOneAndSaysSoBeforeConverting) {
  { std::ofstream(Dir() / "datei") << "a file where a folder would have to be"; }
  std::string target = (Dir() / "datei" / "film.swf").string();
  ProgramResult run = RunCli({"-o", target, TestClip(ClipKind::AviMpeg4Pcm).string()});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "tessaline-cli: Datei " + target + " kann nicht erstellt werden (Ein Teil des Pfads ist kein Ordner)\n");
  EXPECT_EQ(run.out, "");
}

// The temporary name beside the movie (<name>.tmp0) must fit the file
// system's 255 bytes too: a longer name is refused before any work.
TEST_F(CommandLine, MovieNameWithoutRoomForItsTemporaryNameIsRefusedBeforeWork) {
  const std::string clip = TestClip(ClipKind::AviMpeg4Pcm).string();
  for (const std::size_t length : {251u, 255u}) {
    const std::string target = std::string(length - 4, 'n') + ".swf";
    ProgramResult run = RunCli({"--no-audio", "-o", target, clip});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "tessaline-cli: Datei " + target + " kann nicht erstellt werden (Dateiname zu lang)\n");
    EXPECT_EQ(run.out, "");
  }
  const std::string longest = std::string(250 - 4, 'n') + ".swf";
  ProgramResult run = RunCli({"-q", "--no-audio", "-o", longest, clip});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  ReadCheckedMovie(Dir() / longest);
  EXPECT_EQ(std::distance(fs::directory_iterator(Dir()), fs::directory_iterator()), 2) << "movie and page only";
}

// The page is written like the movie: a link in its place is replaced.
TEST_F(CommandLine, PageReplacesALinkAndLeavesItsTargetAlone) {
  { std::ofstream(Dir() / "fremd.txt") << "unberührt"; }
  fs::create_symlink(Dir() / "fremd.txt", Dir() / "film.htm");
  ProgramResult run = RunCli({"-q", "--no-audio", "-o", "film.swf", TestClip(ClipKind::AviMpeg4Pcm).string()});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadWholeFile(Dir() / "fremd.txt"), "unberührt");
  EXPECT_FALSE(fs::is_symlink(Dir() / "film.htm"));
  EXPECT_NE(ReadWholeFile(Dir() / "film.htm").find("film.swf"), std::string::npos);
}

TEST_F(CommandLine, QuietRufflePageOfAnAwkwardNameLinksThatMovie) {
  const std::string name =
      "\xC3\x9C"
      "bung #1 & Co";
  fs::copy_file(TestClip(ClipKind::AviMpeg4Pcm), Dir() / (name + ".avi"));
  ProgramResult run = RunCli({"-q", "--page", "ruffle", "--no-audio", name + ".avi"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
  ReadCheckedMovie(Dir() / (name + ".swf"));
  const std::string page = ReadWholeFile(Dir() / (name + ".htm"));
  EXPECT_TRUE(page.starts_with("<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n")) << page;
  EXPECT_NE(page.find("<title>\xC3\x9C"
                      "bung #1 &amp; Co.swf</title>\r\n"),
            std::string::npos)
      << page;
  EXPECT_NE(page.find("<script src=\"ruffle/ruffle.js\"></script>\r\n"), std::string::npos) << page;
  EXPECT_NE(page.find("<embed src=\"%C3%9Cbung%20%231%20%26%20Co.swf\" quality="), std::string::npos) << page;
}

TEST_F(CommandLine, UnwritablePageExitsWithOneBeforeWork) {
  fs::create_directory(Dir() / "film.htm");  // a folder where the page would go
  ProgramResult run = RunCli({"-o", "film.swf", TestClip(ClipKind::AviMpeg4Pcm).string()});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "tessaline-cli: Datei film.htm kann nicht erstellt werden (Das ist ein Ordner)\n");
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(fs::exists(Dir() / "film.swf"));
}

// Folders, devices and FIFOs are refused before anything reads them, so a
// FIFO without a writer cannot make the run wait.
struct NotAFileCase {
  const char* name;
  std::function<void(const fs::path&)> make;
  const char* cause;
};

void PrintTo(const NotAFileCase& c, std::ostream* os) { *os << c.name; }

class NotAFile : public CliFixture, public testing::WithParamInterface<NotAFileCase> {};

TEST_P(NotAFile, ExitsWithOneAndOneGermanLineAtOnce) {
  GetParam().make(Dir() / "quelle.avi");
  ProgramResult run = RunProgram({{TESSALINE_CLI_PATH, "quelle.avi", "-o", "film.swf"}, Dir(), {}, false, 60});
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE((run.out + run.err)
                .find("Die Videodatei „quelle.avi“ kann nicht gelesen werden: " + std::string(GetParam().cause) + "\n"),
            std::string::npos)
      << run.out << run.err;
  EXPECT_FALSE(fs::exists(Dir() / "film.swf"));
  EXPECT_FALSE(fs::exists(Dir() / "film.htm"));
}

INSTANTIATE_TEST_SUITE_P(
    Sources, NotAFile,
    testing::Values(NotAFileCase{"Folder", [](const fs::path& p) { fs::create_directory(p); },
                                 "Das ist ein Ordner, keine Datei."},
                    NotAFileCase{"Fifo", [](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); },
                                 "Das ist keine gewöhnliche Datei, sondern ein Gerät, eine Pipe oder ein Socket."},
                    NotAFileCase{"Device", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); },
                                 "Das ist keine gewöhnliche Datei, sondern ein Gerät, eine Pipe oder ein Socket."}),
    [](const testing::TestParamInfo<NotAFileCase>& info) { return std::string(info.param.name); });

// A colon does not make a name an address, and pictures whose rows are not a
// multiple of the converter's vector width come through whole.
TEST_F(CommandLine, ColonNamesAndOddWidthsConvert) {
  std::vector<std::string> args = Lavfi("testsrc=size=200x150:rate=25:duration=1");
  args.insert(args.end(), {"-c:v", "mpeg4"});
  MakeClip(Dir() / "Teil:1.avi", args);
  ProgramResult run = RunCli({"Teil:1.avi", "--no-html"});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  const SwfMovie movie = ReadCheckedMovie(Dir() / "Teil:1.swf");
  EXPECT_FALSE(TagsWithCode(movie, kDefineBitsJpeg2).empty());
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
                    BadOptionCase{"UnknownPage", {"--page", "html5", "-o", "x.swf", "CLIP"}, "--page"},
                    BadOptionCase{"SameMovieTwice", {"-o", "out", "CLIP", "CLIP"}, "denselben Film"}),
    [](const testing::TestParamInfo<BadOptionCase>& info) { return std::string(info.param.name); });

TEST_F(CommandLine, HelpAndVersionAnswerWithoutConverting) {
  ProgramResult help = RunCli({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.out.starts_with("Aufruf: tessaline-cli [Optionen] QUELLE… [-o ZIEL]\n")) << help.out;
  ProgramResult version = RunCli({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_TRUE(version.out.starts_with("tessaline-cli 1.0\nFFmpeg: libavformat ")) << version.out;
  EXPECT_NE(version.out.find("libswresample "), std::string::npos) << version.out;
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
  EXPECT_TRUE(run.err.starts_with("tessaline-cli: Could not load file Pictavo.DLL\ntessaline-cli: Das Bildmodul " +
                                   (Dir() / "libPictavo.so").string() +
                                   " kann nicht geladen werden (nicht vorhanden, auch nicht in " +
                                   (Dir().parent_path() / "lib").string()))
      << run.err;
}

// A damaged module beside the program is reported, even when an intact one
// is on the library path.
TEST_F(CommandLine, DamagedModuleBesideTheProgramIsNotReplacedFromTheLibraryPath) {
  const fs::path realModule = fs::path(TESSALINE_CLI_PATH).parent_path() / "libPictavo.so";
  const std::string module = ReadWholeFile(realModule);
  struct Copy {
    const char* name;
    std::string bytes;
    const char* reason;
  };
  const Copy copies[] = {
      {"cut in half", module.substr(0, module.size() / 2), "keine vollständige Bibliothek für dieses System"},
      {"random bytes", std::string(module.size(), '\x5a'), "keine vollständige Bibliothek für dieses System"},
      {"lacks an entry point", ReadWholeFile(PICTAVO_INCOMPLETE_MODULE), "Einsprungpunkt SetJPEGQual fehlt"}};
  fs::copy_file(TESSALINE_CLI_PATH, Dir() / "tessaline-cli");
  for (const Copy& copy : copies) {
    SCOPED_TRACE(copy.name);
    std::ofstream(Dir() / "libPictavo.so", std::ios::binary | std::ios::trunc) << copy.bytes;
    ProgramResult run = RunProgram({{(Dir() / "tessaline-cli").string(), "x.avi"},
                                    Dir(),
                                    {"LD_LIBRARY_PATH=" + realModule.parent_path().string()}});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "tessaline-cli: Could not load file Pictavo.DLL\ntessaline-cli: Das Bildmodul " + (Dir() / "libPictavo.so").string() +
                           " kann nicht geladen werden (" + copy.reason + ")\n");
  }
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
  ASSERT_EQ(RunCli({"--no-audio", "--no-html", "--open", "-o", "-film.swf", clip}, environment).exitCode, 0);
  std::string opened;
  for (int i = 0; i < 100 && std::count(opened.begin(), opened.end(), '\n') < 2; ++i) {
    opened = WaitForFile(Dir() / "geoeffnet.txt");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  // The page when one is written, else the movie; nothing for the run without
  // --open. Absolute, so that "-film.swf" is not taken for an option.
  const std::string page = (Dir() / "offen.htm").string() + "\n";
  const std::string movie = (Dir() / "-film.swf").string() + "\n";
  EXPECT_TRUE(opened == page + movie || opened == movie + page) << opened;
}

TEST_F(CommandLine, NothingOpenedIsOneWarningAndTheExitStaysZero) {
  fs::create_directory(Dir() / "bin");
  { std::ofstream(Dir() / "bin" / "xdg-open") << "#!/bin/sh\nexit 3\n"; }
  fs::permissions(Dir() / "bin" / "xdg-open", fs::perms::owner_all);
  const std::string clip = TestClip(ClipKind::AviMpeg4Pcm).string();
  for (const std::string path : {(Dir() / "bin").string() + ":/usr/bin:/bin", std::string("/nonexistent")}) {
    ProgramResult run = RunCli({"--no-audio", "--no-html", "--open", "-o", "a.swf", clip}, {"PATH=" + path});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "tessaline-cli: Kein Programm hat a.swf geöffnet (xdg-open fehlt oder kennt keins dafür).\n");
  }
}

TEST_F(CommandLine, NoOverwriteLeavesAnExistingMovieAndFailsForItAlone) {
  const std::string a = TestClip(ClipKind::AviMpeg4Pcm).string();
  const std::string b = TestClip(ClipKind::MpgMpeg1Mp2).string();
  fs::create_directory(Dir() / "out");
  { std::ofstream(Dir() / "out" / "mpeg4.swf") << "mein Film"; }
  ProgramResult run = RunCli({"-n", "--no-audio", "-o", "out", a, b});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(ReadWholeFile(Dir() / "out" / "mpeg4.swf"), "mein Film");
  EXPECT_FALSE(fs::exists(Dir() / "out" / "mpeg4.htm"));
  ReadCheckedMovie(Dir() / "out" / "mpeg1.swf");
  EXPECT_EQ(run.err, "tessaline-cli: Datei out/mpeg4.swf gibt es schon; " + a + " übersprungen (-n)\n");
  EXPECT_TRUE(run.out.ends_with("1 Film geschrieben, 1 übersprungen.\n")) << run.out;
  EXPECT_EQ(RunCli({"-y", "--no-audio", "-o", "out/mpeg4.swf", a}).exitCode, 0);
  ReadCheckedMovie(Dir() / "out" / "mpeg4.swf");
}

TEST_F(CommandLine, FolderTargetsAndNamesWithoutExtension) {
  const std::string clip = TestClip(ClipKind::AviMpeg4Pcm).string();
  ProgramResult intoNew = RunCli({"--no-audio", "-o", "neu/tief/", clip});
  EXPECT_EQ(intoNew.exitCode, 0) << intoNew.err;
  ReadCheckedMovie(Dir() / "neu/tief/mpeg4.swf");
  EXPECT_EQ(RunCli({"--no-audio", "--no-html", "-o", "neu/ohne", clip}).exitCode, 0);
  ReadCheckedMovie(Dir() / "neu/ohne.swf");
  { std::ofstream(Dir() / "datei") << "im Weg"; }
  ProgramResult blocked = RunCli({"--no-audio", "-o", "datei/unter/", clip});
  EXPECT_EQ(blocked.exitCode, 1);
  EXPECT_EQ(blocked.err,
            "tessaline-cli: Ordner datei/unter/ kann nicht angelegt werden (Ein Teil des Pfads ist "
            "kein Ordner)\n");
}

// What a script reads: progress blocks and one JSON object per source, all on stdout.
TEST_F(CommandLine, ProgressAndJsonOfTwoSourcesAreParseable) {
  ProgramResult run = RunCli(
      {"--progress", "-", "--json", "--no-audio", "-o", "out", TestClip(ClipKind::AviMpeg4Pcm).string(), "fehlt.avi"});
  EXPECT_EQ(run.exitCode, 1);
  std::vector<std::map<std::string, std::string>> blocks(1);
  std::vector<std::string> json;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("{")) {
      json.push_back(line);
      continue;
    }
    const std::size_t equals = line.find('=');
    ASSERT_NE(equals, std::string::npos) << "neither a block line nor JSON: " << line;
    blocks.back()[line.substr(0, equals)] = line.substr(equals + 1);
    if (line.starts_with("progress=")) blocks.emplace_back();
  }
  blocks.pop_back();
  for (const auto& block : blocks) EXPECT_EQ(block.size(), 7u);
  // Each source started ends with a block of its own; the missing one's says it got nowhere.
  ASSERT_GE(blocks.size(), 2u) << run.out;
  EXPECT_EQ(blocks.back().at("source"), "fehlt.avi");
  EXPECT_EQ(blocks.back().at("progress"), "end");
  EXPECT_EQ(blocks.back().at("frame"), "0");
  const auto& last = blocks[blocks.size() - 2];
  EXPECT_EQ(last.at("source"), TestClip(ClipKind::AviMpeg4Pcm).string());
  EXPECT_EQ(last.at("progress"), "end");
  EXPECT_EQ(last.at("frame"), last.at("total"));
  EXPECT_EQ(last.at("percent"), "100");
  EXPECT_EQ(last.at("bytes"), std::to_string(fs::file_size(Dir() / "out" / "mpeg4.swf")));
  // The movie's length: its frames at 5 a second.
  const SwfMovie movie = ReadCheckedMovie(Dir() / "out" / "mpeg4.swf");
  EXPECT_EQ(last.at("out_time"), "00:00:01." + std::to_string(movie.frameCount % 5 * 2) + "00000");
  EXPECT_EQ(movie.frameCount / 5, 1);
  for (std::size_t i = 0; i + 2 < blocks.size(); ++i) EXPECT_EQ(blocks[i].at("progress"), "continue");
  ASSERT_EQ(json.size(), 2u) << run.out;
  EXPECT_EQ(json[0], "{\"source\":" + JsonString(TestClip(ClipKind::AviMpeg4Pcm).string()) +
                         ",\"target\":\"out/mpeg4.swf\",\"page\":\"out/mpeg4.htm\",\"frames\":" + last.at("frame") +
                         ",\"total\":" + last.at("total") + ",\"state\":\"complete\",\"reason\":null}");
  EXPECT_TRUE(json[1].starts_with(
      "{\"source\":\"fehlt.avi\",\"target\":\"out/fehlt.swf\",\"page\":\"out/fehlt.htm\",\"frames\":0,\"total\":0,"
      "\"state\":\"failed\",\"reason\":\"Die Videodatei „fehlt.avi“ kann nicht gelesen werden"))
      << json[1];
}

}  // namespace
