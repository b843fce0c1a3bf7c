// The temporary folder as the real program meets it: shared with other runs
// and with whatever else lies there, unusable, or left by an interrupted run.
#include <signal.h>

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
  EXPECT_EQ(run.err, "tessaline-cli: Der temporäre Ordner " + tmpdir.string() + " kann nicht benutzt werden.\n");
  EXPECT_FALSE(fs::exists(Dir() / "film.swf"));
  EXPECT_FALSE(fs::exists(Dir() / "film.htm"));
}

INSTANTIATE_TEST_SUITE_P(Refused, UnusableTempFolder,
                         testing::Values(UnusableCase{"Missing", "gibt-es-nicht", false, "unlimited"},
                                         UnusableCase{"FileInItsPlace", "datei", true, "unlimited"},
                                         UnusableCase{"Full", ".", false, "0"}),
                         [](const testing::TestParamInfo<UnusableCase>& info) { return info.param.name; });

// Job control on, so the shell starts the run in the background without
// ignoring signals. SIGINT and SIGHUP take the same way (convert tests).
TEST_F(TempFolderRuns, TerminatedRunLeavesNoTemporaryFileBehind) {
  const fs::path tmpdir = Dir() / "tmp";
  fs::create_directory(tmpdir);
  std::vector<std::string> recipe = Lavfi("testsrc2=size=128x96:rate=25:duration=30");
  recipe.insert(recipe.end(), {"-c:v", "mpeg4", "-f", "avi"});
  const std::string script = "set -m; " + Quoted(TESSALINE_CLI_PATH) + " --no-audio -o lang.swf " +
                             Quoted(CachedClip("lang.avi", recipe)) +
                             " >/dev/null & i=0; while [ -z \"$(ls -A tmp)\" ] && [ $i -lt 2000 ]; do sleep 0.005; "
                             "i=$((i + 1)); done; kill -TERM $!; wait $!; echo $?";
  ProgramResult run = RunProgram({{"sh", "-c", script}, Dir(), {"TMPDIR=" + tmpdir.string()}});
  EXPECT_EQ(run.out, std::to_string(128 + SIGTERM) + "\n") << "ended by the signal: " << run.err;
  EXPECT_TRUE(fs::is_empty(tmpdir));
  for (const fs::directory_entry& entry : fs::directory_iterator(Dir())) {
    EXPECT_FALSE(entry.path().filename().string().starts_with("lang.")) << entry.path();
  }
}

}  // namespace
