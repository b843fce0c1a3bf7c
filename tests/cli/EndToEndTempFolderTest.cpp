// The temporary folder as the real program meets it: shared with other runs
// and with whatever else lies there, unusable, or left by an interrupted run.
#include <signal.h>
#include <string.h>

#include <algorithm>
#include <fstream>

#include "CliFixture.h"
#include "tests/support/ClipMaker.h"

namespace {

namespace fs = std::filesystem;
using namespace swf_codes;

using TempFolderRuns = CliFixture;

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

TEST_F(TempFolderRuns, TwentyRunsSideBySideInOneFolderAllKeepEveryPicture) {
  const fs::path shared = Dir() / "tmp";
  fs::create_directory(shared);
  { std::ofstream(Dir() / "opfer.txt") << "unberührt"; }
  fs::create_symlink(Dir() / "opfer.txt", shared / "tempjpg0.jpg");  // planted where the name is predictable
  const std::string clip = TestClip(ClipKind::AviMpeg4Pcm).string();
  ASSERT_EQ(RunCli({"--no-audio", "--no-html", "-o", "allein.swf", clip}).exitCode, 0);
  const std::size_t pictures = TagsWithCode(ReadCheckedMovie(Dir() / "allein.swf"), kDefineBitsJpeg2).size();

  std::string script = "for i in $(seq 20); do " + Quoted(TESSALINE_CLI_PATH) + " --no-audio --no-html -o film$i.swf " +
                       Quoted(clip) + " >/dev/null 2>&1 & pids=\"$pids $!\"; done; failed=0; for pid in $pids; do " +
                       "wait $pid || failed=$((failed + 1)); done; echo $failed";
  ProgramResult runs = RunProgram({{"sh", "-c", script}, Dir(), {"TMPDIR=" + shared.string()}});
  EXPECT_EQ(runs.out, "0\n") << runs.err;
  for (int i = 1; i <= 20; ++i) {
    const fs::path movie = Dir() / ("film" + std::to_string(i) + ".swf");
    EXPECT_EQ(TagsWithCode(ReadCheckedMovie(movie), kDefineBitsJpeg2).size(), pictures) << movie;
  }
  EXPECT_EQ(ReadWholeFile(Dir() / "opfer.txt"), "unberührt");
  EXPECT_EQ(std::distance(fs::directory_iterator(shared), fs::directory_iterator()), 1) << "only the planted link";
}

struct UnusableCase {
  const char* name;
  const char* tmpdir;  // below the test's folder
  bool fileInPlace;    // a plain file where the folder should be
  const char* limit;   // a shell's ulimit -f, or empty
  const char* reason;
};

void PrintTo(const UnusableCase& c, std::ostream* os) { *os << c.name; }

class UnusableTempFolder : public CliFixture, public testing::WithParamInterface<UnusableCase> {};

// Its error stream goes through a pipe, which a file-size limit leaves alone.
TEST_P(UnusableTempFolder, EndsTheSourceWithOneLineBeforeConverting) {
  const UnusableCase& c = GetParam();
#if defined(__SANITIZE_THREAD__)
  // ThreadSanitizer's runtime lets SIGXFSZ kill the program although it is ignored.
  if (std::string(c.limit) != "unlimited") GTEST_SKIP() << "file-size limit under ThreadSanitizer";
#endif
  const fs::path tmpdir = Dir() / c.tmpdir;
  if (c.fileInPlace) std::ofstream(tmpdir) << "a file";
  const std::string script = std::string("mkfifo fehler; cat fehler >&2 & (ulimit -f ") + c.limit + "; exec " +
                             Quoted(TESSALINE_CLI_PATH) + " -o film.swf " + Quoted(TestClip(ClipKind::AviMpeg4Pcm)) +
                             " >/dev/null 2>fehler); status=$?; wait; rm fehler; exit $status";
  ProgramResult run = RunProgram({{"sh", "-c", script}, Dir(), {"TMPDIR=" + tmpdir.string()}});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "tessaline-cli: Der temporäre Ordner " + tmpdir.string() + " kann nicht benutzt werden (" + c.reason + ").\n");
  EXPECT_FALSE(fs::exists(Dir() / "film.swf"));
  EXPECT_FALSE(fs::exists(Dir() / "film.htm"));
}

INSTANTIATE_TEST_SUITE_P(
    Refused, UnusableTempFolder,
    testing::Values(UnusableCase{"Missing", "gibt-es-nicht", false, "unlimited", "Datei oder Ordner nicht gefunden"},
                    UnusableCase{"FileInItsPlace", "datei", true, "unlimited", "Ein Teil des Pfads ist kein Ordner"},
                    UnusableCase{"Full", ".", false, "0", "Datei zu groß"}),
    [](const testing::TestParamInfo<UnusableCase>& info) { return info.param.name; });

std::string LongClip() {
  std::vector<std::string> recipe = Lavfi("testsrc2=size=128x96:rate=25:duration=30");
  recipe.insert(recipe.end(), {"-c:v", "mpeg4", "-f", "avi"});
  return CachedClip("lang.avi", recipe).string();
}

// A shell line that starts a long run in the background and waits until its
// temporary folder (in ./tmp) holds something. A shell without job control
// starts background commands with SIGINT and SIGQUIT ignored, which the run
// would keep: env gives them their default back.
std::string StartLongRunInTheBackground() {
  return "env --default-signal " + Quoted(TESSALINE_CLI_PATH) + " --no-audio -o lang.swf " + Quoted(LongClip()) +
         " >/dev/null & i=0; while [ -z \"$(ls -A tmp)\" ] && [ $i -lt 2000 ]; do sleep 0.005; i=$((i + 1)); done; ";
}

void ExpectNoMovieFileBeside(const fs::path& folder) {
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    EXPECT_FALSE(entry.path().filename().string().starts_with("lang.")) << entry.path();
  }
}

class SignalDuringARun : public CliFixture, public testing::WithParamInterface<int> {};

// Every signal whose default ends the program; SIGPIPE from a closed output
// is let go (below), SIGXFSZ is ignored so the write fails and is reported.
TEST_P(SignalDuringARun, LeavesNoTemporaryFileBehind) {
  const fs::path tmpdir = Dir() / "tmp";
  fs::create_directory(tmpdir);
  const std::string script =
      StartLongRunInTheBackground() + "kill -" + sigabbrev_np(GetParam()) + " $!; wait $!; echo $?";
  ProgramResult run = RunProgram({{"sh", "-c", script}, Dir(), {"TMPDIR=" + tmpdir.string()}});
  EXPECT_EQ(run.out, std::to_string(128 + GetParam()) + "\n") << "ended by the signal: " << run.err;
  EXPECT_TRUE(fs::is_empty(tmpdir));
  ExpectNoMovieFileBeside(Dir());
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalDuringARun,
                         testing::Values(SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGALRM, SIGXCPU, SIGUSR1, SIGUSR2),
                         [](const testing::TestParamInfo<int>& info) { return std::string(sigabbrev_np(info.param)); });

// A reader that stops early (| head) fails the later progress lines, not the movie.
TEST_F(TempFolderRuns, OutputClosedEarlyStillWritesTheMovie) {
  const fs::path tmpdir = Dir() / "tmp";
  fs::create_directory(tmpdir);
  const std::string script = "set -o pipefail; " + Quoted(TESSALINE_CLI_PATH) + " --no-audio --fps 25 -o lang.swf " +
                             Quoted(LongClip()) + " | head -n 3; echo \"status $?\"";
  ProgramResult run = RunProgram({{"bash", "-c", script}, Dir(), {"TMPDIR=" + tmpdir.string()}});
  EXPECT_TRUE(run.out.ends_with("\nstatus 0\n")) << run.out;
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 4) << run.out;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(ReadCheckedMovie(Dir() / "lang.swf").frameCount, 750);
  EXPECT_TRUE(fs::exists(Dir() / "lang.htm"));
  EXPECT_TRUE(fs::is_empty(tmpdir));
}

// A run killed outright cannot clean up; the next one removes what it left,
// its temporary folder and the movie's temporary file.
TEST_F(TempFolderRuns, LeftoversOfAKilledRunGoWithTheNextRun) {
  const fs::path tmpdir = Dir() / "tmp";
  fs::create_directory(tmpdir);
  const std::string script = StartLongRunInTheBackground() + "kill -KILL $!; wait $!; echo $?";
  ProgramResult killed = RunProgram({{"sh", "-c", script}, Dir(), {"TMPDIR=" + tmpdir.string()}});
  ASSERT_EQ(killed.out, std::to_string(128 + SIGKILL) + "\n");
  ASSERT_FALSE(fs::is_empty(tmpdir));
  ASSERT_TRUE(fs::exists(Dir() / "lang.swf.tmp0"));
  ProgramResult next = RunCli({"-q", "--no-audio", "-o", "lang.swf", TestClip(ClipKind::AviMpeg4Pcm).string()},
                              {"TMPDIR=" + tmpdir.string()});
  EXPECT_EQ(next.exitCode, 0) << next.err;
  EXPECT_TRUE(fs::is_empty(tmpdir));
  EXPECT_FALSE(fs::exists(Dir() / "lang.swf.tmp0"));
  ReadCheckedMovie(Dir() / "lang.swf");
}

}  // namespace
