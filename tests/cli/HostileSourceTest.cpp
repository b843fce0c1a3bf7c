// Sources damaged on purpose end in a movie of what is there, soon, with
// exit code 3 and a line that says what was lost.
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "CliFixture.h"
#include "tests/support/ClipMaker.h"

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

constexpr std::int64_t kTicksPerSecond = 90000;

Args TwoSecondVob() {
  Args args = Lavfi("testsrc2=size=160x120:rate=25:duration=2");
  args.insert(args.end(), {"-c:v", "mpeg2video", "-g", "12", "-an", "-f", "dvd"});
  return args;
}

Args TwoSecondMpeg() {
  Args args = Lavfi("testsrc2=size=160x120:rate=25:duration=2");
  args.insert(args.end(), {"-c:v", "mpeg1video", "-g", "12", "-an", "-f", "mpeg"});
  return args;
}

// Every sequence header after the first claims a picture of size 0.
void SpoilSequenceHeaders(const fs::path& clip) {
  std::string bytes = ReadWholeFile(clip);
  const std::string header("\x00\x00\x01\xB3", 4);
  std::size_t at = bytes.find(header);
  while ((at = bytes.find(header, at + 4)) != std::string::npos && at + 7 < bytes.size()) {
    bytes.replace(at + 4, 3, std::string(3, '\0'));
  }
  std::ofstream(clip, std::ios::binary | std::ios::trunc) << bytes;
}

// Two seconds of JPEG pictures and, with them, AC-3 sound in an AVI.
Args TwoSecondJpegAvi() {
  Args args = Lavfi("testsrc2=size=160x120:rate=25:duration=2");
  const Args sound = Lavfi("sine=frequency=440:duration=2");
  args.insert(args.end(), sound.begin(), sound.end());
  args.insert(args.end(), {"-c:v", "mjpeg", "-c:a", "ac3", "-f", "avi"});
  return args;
}

// Bytes inside three chunks of one stream ("00dc" pictures, "01wb" sound)
// from the first named on overwritten: data that still decodes, with errors
// FFmpeg only logs.
fs::path SpoilAviChunks(const char* name, const std::string& tag, std::size_t offset, int first = 10) {
  const fs::path clip = CachedClip("jpeg-ac3.avi", TwoSecondJpegAvi());
  std::string bytes = ReadWholeFile(clip);
  std::size_t at = bytes.find("movi");
  for (int chunk = 0; (at = bytes.find(tag, at + 4)) != std::string::npos && chunk < first + 3; ++chunk) {
    if (chunk >= first && at + offset + 8 < bytes.size()) bytes.replace(at + offset, 8, 8, '\xa5');
  }
  const fs::path copy = clip.parent_path() / name;
  std::ofstream(copy, std::ios::binary | std::ios::trunc) << bytes;
  return copy;
}

// The padding chunk of the headers made a nameless chunk of 3 GB, which the
// demuxer reads past with an error.
fs::path SpoilAviHeaders() {
  const fs::path clip = CachedClip("jpeg-ac3.avi", TwoSecondJpegAvi());
  std::string bytes = ReadWholeFile(clip);
  const std::size_t at = bytes.find("JUNK");
  if (at != std::string::npos) bytes.replace(at, 8, std::string("\0\0\0\0\0\0\0\xc1", 8));
  const fs::path copy = clip.parent_path() / "spoilt-headers.avi";
  std::ofstream(copy, std::ios::binary | std::ios::trunc) << bytes;
  return copy;
}

// The first half, by sectors, of a VOB with AC-3 sound, named as a file that
// is not a DVD part: its last sound frame is cut, which in a VOB file is only
// where a title was split.
fs::path HalfVobNamedMpg() {
  Args args = Lavfi("testsrc2=size=160x120:rate=25:duration=2");
  const Args sound = Lavfi("sine=frequency=440:sample_rate=48000:duration=2");
  args.insert(args.end(), sound.begin(), sound.end());
  args.insert(args.end(), {"-c:v", "mpeg2video", "-g", "12", "-c:a", "ac3", "-f", "dvd"});
  const fs::path clip = CachedClip("ac3.vob", args);
  constexpr std::uintmax_t kSector = 2048;
  const fs::path half = clip.parent_path() / "half-a-vob.mpg";
  fs::copy_file(clip, half, fs::copy_options::overwrite_existing);
  fs::resize_file(half, fs::file_size(clip) / kSector / 2 * kSector);
  return half;
}

struct Hostile {
  const char* name;
  fs::path (*make)();
  const char* line;       // part of the line on stderr
  int largestFrameCount;  // of the movie, at 5 frames a second
  bool sound = false;
};

using Clip = fs::path;
const Hostile kHostile[] = {
    {"half-hour",
     [] { return Clip(CachedJumpClip("half-hour.vob", TwoSecondVob(), TwoSecondVob(), 1800 * kTicksPerSecond)); },
     "springen nach ", 21},
    {"two-hours",
     [] { return Clip(CachedJumpClip("two-hours.vob", TwoSecondVob(), TwoSecondVob(), 7200 * kTicksPerSecond)); },
     "springen nach ", 21},
    {"twenty-hours",
     [] { return Clip(CachedJumpClip("twenty-hours.vob", TwoSecondVob(), TwoSecondVob(), 72000 * kTicksPerSecond)); },
     "springen nach ", 21},
    {"wrapped",
     [] {
       return Clip(CachedJumpClip("wrapped.vob", TwoSecondVob(), TwoSecondVob(),
                                  (std::int64_t{1} << 33) - 3 * kTicksPerSecond / 2));
     },
     "springen nach ", 21},
    {"sequence headers spoilt after the first",
     [] {
       const fs::path clip = CachedClip("headers.mpg", TwoSecondMpeg());
       const fs::path copy = clip.parent_path() / "headers-after-first.mpg";
       fs::copy_file(clip, copy, fs::copy_options::overwrite_existing);
       SpoilSequenceHeaders(copy);
       return copy;
     },
     "", 11},
    {"JPEG pictures that decode with errors",
     [] { return SpoilAviChunks("spoilt-pictures.avi", "00dc", 1500); },
     "Die Bilder ab 0,4 s lassen sich nicht fehlerfrei", 11},
    // At 5 frames a second the movie shows none of the last four pictures.
    {"JPEG pictures after the last movie frame that decode with errors",
     [] { return SpoilAviChunks("spoilt-last-pictures.avi", "00dc", 1500, 47); },
     "lassen sich nicht fehlerfrei", 11},
    {"AC-3 frames that decode with errors",
     [] { return SpoilAviChunks("spoilt-sound.avi", "01wb", 40); },
     "Der Ton ab", 11, true},
    {"headers read past with an error", SpoilAviHeaders, "Die Kopfdaten der Datei sind fehlerhaft.", 11},
    {"half a VOB named .mpg, its last sound frame cut", HalfVobNamedMpg, "Der Ton ab", 6, true},
};

using HostileSources = CliFixture;

TEST_F(HostileSources, EndIncompleteWithAMovieOfWhatIsThere) {
  for (const Hostile& h : kHostile) {
    SCOPED_TRACE(h.name);
    const fs::path source = Dir() / ("quelle" + h.make().extension().string());
    fs::copy_file(h.make(), source, fs::copy_options::overwrite_existing);
    ProgramResult run = RunCli({h.sound ? "--16bit" : "--no-audio", "--no-html", "-o", "film.swf", source.string()});
    EXPECT_EQ(run.exitCode, 3) << run.out << run.err;
    EXPECT_NE(run.err.find(h.line), std::string::npos) << run.err;
    const SwfMovie movie = ReadCheckedMovie(Dir() / "film.swf");
    EXPECT_GT(movie.frameCount, 0);
    EXPECT_LE(movie.frameCount, h.largestFrameCount);
    fs::remove(Dir() / "film.swf");
  }
}

// The source loses its second half while the run is at its first hundred
// frames: the movie is written with what was read, and the run says so.
TEST_F(HostileSources, SourceCutDuringTheRunEndsIncomplete) {
  Args recipe = Lavfi("testsrc2=size=64x48:rate=25:duration=60");
  recipe.insert(recipe.end(), {"-c:v", "mpeg2video", "-g", "12", "-an", "-f", "dvd"});
  const fs::path source = Dir() / "lang.vob";
  fs::copy_file(CachedClip("long.vob", recipe), source);
  const std::string script =
      std::string(TESSALINE_CLI_PATH) +
      " --no-audio --no-html -o film.swf lang.vob | "
      "{ while IFS= read -r line; do case $line in 'Frame 101 von'*) "
      "truncate -s $(($(stat -c %s lang.vob) / 2)) lang.vob;; esac; echo \"$line\"; done; }; exit ${PIPESTATUS[0]}";
  ProgramResult run = RunTool({"bash", "-c", script});
  EXPECT_EQ(run.exitCode, 3) << run.out << run.err;
  EXPECT_NE(run.err.find("kürzer geworden"), std::string::npos) << run.err;
  const SwfMovie movie = ReadCheckedMovie(Dir() / "film.swf");
  EXPECT_LT(movie.frameCount, 5 * 60 * 6 / 10);
}

}  // namespace
