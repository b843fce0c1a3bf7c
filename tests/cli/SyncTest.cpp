// Pictures and sound on one clock: clips that flash white and beep at the
// same instants, in the containers and with the faults people's files have,
// converted by the real program; in each movie every flash and its beep
// meet within one movie frame.
#include <cmath>
#include <iostream>
#include <ostream>

#include "CliFixture.h"
#include "tests/support/ClipMaker.h"
#include "tests/support/FlashBeep.h"

namespace {

namespace fs = std::filesystem;

enum class Damage { kNone, kCut, kSpoiledSound };

struct SyncCase {
  const char* name;
  const char* file;
  FlashBeepClip clip;
  std::vector<std::string> encoding;
  Damage damage;
  int fps;
  int exitCode;
  const char* line;     // on stderr; "%s" stands for the source's path
  double movieSeconds;  // negative: as long as ffprobe can read
  std::size_t flashes;  // found in the movie; each with its beep unless the sound is spoilt
};

void PrintTo(const SyncCase& c, std::ostream* os) { *os << c.name; }

const std::vector<std::string> kAvi = {"-c:v", "mpeg4", "-q:v", "3", "-c:a", "pcm_s16le"};
const char* const kDamaged = "Die Datei ist unvollständig oder beschädigt.";
const char* const kSoundLost = "Der Ton der Datei %s kann nicht gelesen werden; der Film bleibt stumm.";

const SyncCase kCases[] = {
    {"PlainAvi", "plain.avi", {}, kAvi, Damage::kNone, 25, 0, "", 4, 3},
    // Frames 20 to 40 dropped, as capture programs store them: empty chunks.
    {"AviWithDroppedFrames",
     "dropped.avi",
     {},
     {"-vf", "select='not(between(n,20,40))'", "-fps_mode", "passthrough", "-c:v", "mpeg4", "-c:a", "pcm_s16le"},
     Damage::kNone,
     25,
     0,
     "",
     4,
     2},
    {"VobWithSoundLeading",
     "lead.vob",
     {.sampleRate = 48000, .soundLead = 0.5},
     {"-fps_mode", "passthrough", "-c:v", "mpeg2video", "-c:a", "ac3", "-f", "dvd"},
     Damage::kNone,
     25,
     0,
     "",
     4,
     3},
    {"MpegWithPictureLeading",
     "late.mpg",
     {.sampleRate = 44100, .soundLead = -0.4},
     {"-c:v", "mpeg1video", "-c:a", "mp2", "-f", "mpeg"},
     Damage::kNone,
     25,
     0,
     "",
     4,
     3},
    {"TruncatedAvi", "cut.avi", {}, kAvi, Damage::kCut, 25, 3, kDamaged, -1, 2},
    {"NtscMpeg",
     "ntsc.mpg",
     {.rate = "30000/1001", .flashEvery = 30, .sampleRate = 44100},
     {"-c:v", "mpeg1video", "-c:a", "mp2", "-f", "mpeg"},
     Damage::kNone,
     30,
     0,
     "",
     4,
     3},
    {"UndecodableSound",
     "spoilt.avi",
     {},
     {"-c:v", "mpeg4", "-c:a", "mp2"},
     Damage::kSpoiledSound,
     25,
     3,
     kSoundLost,
     4,
     3},
    // 25 pictures a second for two seconds, then 50.
    {"VariableFrameRate",
     "vfr.mkv",
     {.rate = "50", .flashEvery = 50, .flashLength = 6},
     {"-vf", "select='gte(t,2)+not(mod(n,2))'", "-fps_mode", "vfr", "-c:v", "mpeg4", "-c:a", "pcm_s16le"},
     Damage::kNone,
     25,
     0,
     "",
     4,
     3},
    // The sound's times jump an hour ahead after 2.5 s, like a wrapped time
    // stamp: damage, not an hour of silence; the sound goes on in step.
    {"SoundTimesJumpAnHour",
     "jump.mkv",
     {},
     {"-af", "asetpts='PTS+gte(T,2.5)*3600/TB'", "-c:v", "mpeg4", "-c:a", "pcm_s16le"},
     Damage::kNone,
     25,
     3,
     "Die Videodatei „jump.mkv“ kann nicht gelesen werden: Die Zeitangaben des Tons springen; der Ton läuft ab "
     "dort im Takt des Films weiter.",
     4,
     3},
    // An 8 kHz sound read at 120 movie frames a second drifts unless counted exactly.
    {"LateBeepAt120Fps",
     "late.avi",
     {.rate = "5", .flashEvery = 125, .flashLength = 1, .seconds = 30, .sampleRate = 8000},
     kAvi,
     Damage::kNone,
     120,
     0,
     "",
     30,
     1},
};

std::string WithPath(std::string line, const std::string& path) {
  const auto at = line.find("%s");
  return at == std::string::npos ? line : line.replace(at, 2, path);
}

class PicturesAndSoundInStep : public CliFixture, public testing::WithParamInterface<SyncCase> {};

TEST_P(PicturesAndSoundInStep, EveryFlashMeetsItsBeepWithinOneMovieFrame) {
  const SyncCase& c = GetParam();
  std::vector<std::string> args = FlashBeepInputs(c.clip);
  args.insert(args.end(), c.encoding.begin(), c.encoding.end());
  const fs::path source = Dir() / c.file;
  fs::copy_file(CachedClip(c.file, args), source);
  if (c.damage == Damage::kCut) CutFile(source, 0.62);
  if (c.damage == Damage::kSpoiledSound) SpoilPackets(source, "a:0");

  const ProgramResult run = RunCli({"--fps", std::to_string(c.fps), "--16bit", "-o", "film.swf", source.string()});
  ASSERT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
  if (*c.line) {
    const std::string line = WithPath(c.line, source.string());
    const std::string said = run.out + run.err;
    const auto first = said.find(line);
    EXPECT_NE(first, std::string::npos) << said;
    EXPECT_EQ(said.find(line, first + 1), std::string::npos) << "shown once: " << said;
  }
  const SwfMovie movie = ReadCheckedMovie(Dir() / "film.swf");
  const MovieSync sync = FindFlashesAndBeeps(movie);
  const double seconds = c.movieSeconds >= 0 ? c.movieSeconds : FfprobeFrameCount(source) / 25.0;
  EXPECT_NEAR(sync.frames, seconds * c.fps, 1.0);
  EXPECT_EQ(sync.flashFrames.size(), c.flashes);
  if (c.damage == Damage::kSpoiledSound) {
    EXPECT_TRUE(sync.beepStarts.empty()) << "the movie stays silent";
    return;
  }
  for (double offset : FlashToBeepOffsets(sync)) {
    EXPECT_LE(std::fabs(offset), 1.0 / c.fps) << "beep " << offset * 1000 << " ms from its flash";
    std::cout << "[ sync     ] " << c.name << ": beep " << offset * 1000 << " ms from its flash\n";
  }
}

INSTANTIATE_TEST_SUITE_P(FlashAndBeep, PicturesAndSoundInStep, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<SyncCase>& info) { return std::string(info.param.name); });

// The same plain clip in each sound format, heard as a player hears it:
// FFmpeg's SWF reader decodes the stream, the head's latency seek is skipped.
struct FormatCase {
  const char* name;
  const char* sound;
  int compressionCode;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class EachSoundFormatInStep : public CliFixture, public testing::WithParamInterface<FormatCase> {};

TEST_P(EachSoundFormatInStep, EveryFlashMeetsItsBeepWithinOneMovieFrame) {
  const FormatCase& c = GetParam();
  const SyncCase& plain = kCases[0];
  std::vector<std::string> args = FlashBeepInputs(plain.clip);
  args.insert(args.end(), plain.encoding.begin(), plain.encoding.end());
  const fs::path source = CachedClip(plain.file, args);
  const fs::path film = Dir() / "film.swf";

  const ProgramResult run =
      RunCli({"--fps", std::to_string(plain.fps), "--16bit", "--sound", c.sound, "-o", film.string(), source.string()});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  const SwfMovie movie = ReadCheckedMovie(film);
  const std::vector<const SwfTag*> heads = TagsWithCode(movie, swf_codes::kSoundStreamHead2);
  ASSERT_EQ(heads.size(), 1u);
  EXPECT_EQ(heads[0]->body.at(1) >> 4, c.compressionCode);
  const MovieSync sync = FindFlashesAndDecodedBeeps(movie, film);
  EXPECT_EQ(sync.flashFrames.size(), plain.flashes);
  EXPECT_EQ(sync.beepStarts.size(), plain.flashes);
  for (double offset : FlashToBeepOffsets(sync)) {
    EXPECT_LE(std::fabs(offset), 1.0 / plain.fps) << "beep " << offset * 1000 << " ms from its flash";
    std::cout << "[ sync     ] " << c.name << ": beep " << offset * 1000 << " ms from its flash\n";
  }
}

INSTANTIATE_TEST_SUITE_P(FlashAndBeep, EachSoundFormatInStep,
                         testing::Values(FormatCase{"Pcm", "pcm", 0}, FormatCase{"Adpcm", "adpcm", 1},
                                         FormatCase{"Mp3", "mp3", 2}),
                         [](const testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

// Ten minutes, a flash and a beep every minute, in each rate and mode at 25
// and 5 frames a second: the sound as FFmpeg decodes it never drifts from the
// pictures, and the blocks hold rate times length samples within one block
// (MP3: within one of its frames, which blocks hold whole).
struct LongCase {
  const char* name;
  const char* rate;
  const char* sound;
  int fps;
};

void PrintTo(const LongCase& c, std::ostream* os) { *os << c.name; }

class TenMinutesInStep : public CliFixture, public testing::WithParamInterface<LongCase> {};

TEST_P(TenMinutesInStep, LastBeepMeetsItsFlashAndNoSampleIsMissing) {
  const LongCase& c = GetParam();
  const FlashBeepClip clip{.flashEvery = 1500, .flashLength = 5, .seconds = 600, .sampleRate = 44100};
  std::vector<std::string> args = FlashBeepInputs(clip);
  args.insert(args.end(), {"-c:v", "mpeg4", "-q:v", "10", "-c:a", "pcm_s16le"});
  const fs::path source = CachedClip("tenminutes.avi", args);
  const fs::path film = Dir() / "film.swf";
  const ProgramResult run = RunCli({"--fps", std::to_string(c.fps), "--rate", c.rate, "--16bit", "--sound", c.sound,
                                    "--no-html", "-o", film.string(), source.string()});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  const MovieSync sync = FindFlashesAndDecodedBeeps(ReadCheckedMovie(film), film);
  EXPECT_NEAR(sync.frames, 600 * c.fps, 1);
  EXPECT_EQ(sync.flashFrames.size(), 9u);
  EXPECT_EQ(sync.beepStarts.size(), 9u);
  for (double offset : FlashToBeepOffsets(sync)) EXPECT_LE(std::fabs(offset), 1.0 / c.fps) << offset * 1000 << " ms";
  const double expected = sync.soundRate * sync.frames / c.fps;
  const double slack = std::string(c.sound) == "mp3" ? 1152 : sync.soundRate / c.fps;
  EXPECT_NEAR(static_cast<double>(sync.soundSamples), expected, slack);
}

INSTANTIATE_TEST_SUITE_P(
    EveryRateAndMode, TenMinutesInStep,
    testing::Values(LongCase{"Pcm5500At25", "5500", "pcm", 25}, LongCase{"Pcm11000At25", "11000", "pcm", 25},
                    LongCase{"Pcm22000At25", "22000", "pcm", 25}, LongCase{"Pcm44000At25", "44000", "pcm", 25},
                    LongCase{"Adpcm5500At25", "5500", "adpcm", 25}, LongCase{"Adpcm11000At25", "11000", "adpcm", 25},
                    LongCase{"Adpcm22000At25", "22000", "adpcm", 25}, LongCase{"Adpcm44000At25", "44000", "adpcm", 25},
                    LongCase{"Mp3At11000At25", "11000", "mp3", 25}, LongCase{"Mp3At22000At25", "22000", "mp3", 25},
                    LongCase{"Mp3At44000At25", "44000", "mp3", 25}, LongCase{"Pcm5500At5", "5500", "pcm", 5},
                    LongCase{"Pcm11000At5", "11000", "pcm", 5}, LongCase{"Adpcm22000At5", "22000", "adpcm", 5},
                    LongCase{"Mp3At44000At5", "44000", "mp3", 5}),
    [](const testing::TestParamInfo<LongCase>& info) { return std::string(info.param.name); });

}  // namespace
