// ADPCM and MP3 stream sound from a 44.1 kHz 16-bit stereo clip: FFmpeg's SWF
// reader takes the sound back out of our movie, and it must still be the
// source's sound, several times smaller than the uncompressed track.
#include <cmath>
#include <cstring>
#include <ostream>

#include "CliFixture.h"

namespace {

using namespace swf_codes;

std::vector<std::int16_t> Samples(const std::string& bytes) {
  std::vector<std::int16_t> samples(bytes.size() / 2);
  std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

// Signal to noise of test against reference, test read lag samples later.
double SnrDb(const std::vector<std::int16_t>& reference, const std::vector<std::int16_t>& test, std::size_t lag) {
  double signal = 0, noise = 0;
  for (std::size_t i = 0; i < reference.size() && i + lag < test.size(); ++i) {
    const double difference = static_cast<double>(reference[i]) - test[i + lag];
    signal += static_cast<double>(reference[i]) * reference[i];
    noise += difference * difference;
  }
  return 10 * std::log10(signal / std::max(noise, 1.0));
}

double BestSnrDb(const std::vector<std::int16_t>& reference, const std::vector<std::int16_t>& test,
                 std::size_t maxLag) {
  double best = -100;
  for (std::size_t lag = 0; lag <= maxLag; lag += 2) best = std::max(best, SnrDb(reference, test, lag));  // 2: stereo
  return best;
}

struct ModeCase {
  const char* name;
  const char* mode;
  int compressionCode;
  double minSmaller, maxSmaller;  // PCM sound bytes over this mode's
  std::size_t maxLag;             // interleaved samples the decoder may put first
  double minSnrDb;
};

void PrintTo(const ModeCase& c, std::ostream* os) { *os << c.name; }

class CompressedSound : public CliFixture, public testing::WithParamInterface<ModeCase> {
 protected:
  // The movie's stream sound as FFmpeg's SWF reader decodes it.
  std::vector<std::int16_t> Convert(const std::string& mode, SwfMovie& movie) {
    const std::filesystem::path file = Dir() / (mode + ".swf");
    ProgramResult run = RunCli({"--rate", "44000", "--16bit", "--stereo", "--sound", mode, "-o", file.string(),
                                TestClip(ClipKind::AviPcmStereo44k).string()});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    movie = ReadCheckedMovie(file);
    return Decode(file);
  }

  std::vector<std::int16_t> Decode(const std::filesystem::path& file) {
    const std::filesystem::path raw = Dir() / (file.filename().string() + ".raw");
    ProgramResult decoded = RunTool(
        {"ffmpeg", "-v", "error", "-i", file.string(), "-vn", "-f", "s16le", "-ac", "2", "-ar", "44100", raw.string()});
    EXPECT_EQ(decoded.exitCode, 0) << decoded.err;
    return Samples(ReadWholeFile(raw));
  }
};

TEST_P(CompressedSound, MatchesTheSourceAtAFractionOfTheSize) {
  const ModeCase& c = GetParam();
  SwfMovie pcmMovie, movie;
  const std::vector<std::int16_t> pcm = Convert("pcm", pcmMovie);
  const std::vector<std::int16_t> sound = Convert(c.mode, movie);

  const std::vector<const SwfTag*> heads = TagsWithCode(movie, kSoundStreamHead2);
  ASSERT_EQ(heads.size(), 1u);
  EXPECT_EQ(heads[0]->body.at(1) >> 4, c.compressionCode);
  EXPECT_EQ(TagsWithCode(movie, kSoundStreamBlock).size(), TagsWithCode(movie, kShowFrame).size());

  const double smaller = static_cast<double>(SoundBytes(pcmMovie).size()) / SoundBytes(movie).size();
  EXPECT_GE(smaller, c.minSmaller);
  EXPECT_LE(smaller, c.maxSmaller);

  // Every mode carries the sound at the source's own 44100 Hz.
  const std::vector<std::int16_t> reference = Decode(TestClip(ClipKind::AviPcmStereo44k));
  EXPECT_GT(SnrDb(reference, pcm, 0), 60.0);
  ASSERT_GT(sound.size(), 44100u);
  EXPECT_GT(BestSnrDb(reference, sound, c.maxLag), c.minSnrDb);
}

INSTANTIATE_TEST_SUITE_P(EachMode, CompressedSound,
                         testing::Values(ModeCase{"Adpcm", "adpcm", 1, 3.5, 4.5, 0, 30.0},
                                         ModeCase{"Mp3", "mp3", 2, 8.0, 20.0, 2 * 3000, 10.0}),
                         [](const testing::TestParamInfo<ModeCase>& info) { return std::string(info.param.name); });

// A bitrate the rate cannot carry is lowered, and said so once; the
// default quietly becomes the highest the rate allows.
TEST_F(CliFixture, Mp3BitrateBeyondTheRatesLimitIsLoweredWithOneLine) {
  const std::string line = "MP3 mit 11025 Hz erlaubt keine 320 kbit/s; der Ton wird mit 64 kbit/s kodiert.";
  for (const bool asked : {true, false}) {
    std::vector<std::string> args = {"--sound", "mp3", "--stereo", "-o", (Dir() / "mp3.swf").string()};
    if (asked) args.insert(args.end(), {"--mp3-bitrate", "320"});
    args.push_back(TestClip(ClipKind::AviPcmStereo44k).string());
    const ProgramResult run = RunCli(args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, asked ? "tessaline-cli: " + line + "\n" : "");
  }
}

TEST_F(CliFixture, Mp3At5500HzIsAWrongOption) {
  ProgramResult run = RunCli({"--sound", "mp3", "--rate", "5500", TestClip(ClipKind::AviPcmStereo44k).string()});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("5500 Hz"), std::string::npos) << run.err;
}

}  // namespace
