// Sound in a movie's format, measured as a listener would: every channel
// mixed in as FFmpeg mixes it, nothing folded back from above the new rate,
// the pitch exact at every SWF rate (5512.5 included), gaps in the sound's
// times filled with silence and jumps beyond any gap taken as damage.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "TestClips.h"
#include "media/mcl/mcl.h"
#include "tests/support/ClipMaker.h"

namespace {

struct Sound {
  std::vector<std::int16_t> values;
  int channels = 1;
  double rate = 0;

  std::size_t Frames() const { return values.size() / static_cast<std::size_t>(channels); }
  double At(std::size_t frame, int channel) const { return values[frame * channels + channel] / 32768.0; }
};

// Reads the whole sound in the movie's blocks of 1/25 s, as a conversion does.
Sound ReadInFormat(const std::string& clip, int halfRate, int channels, double seconds) {
  Sound sound{{}, channels, halfRate / 2.0};
  MclReadHandle reader = MclReadOpen(clip.c_str(), 0, 0, 0);
  MclSoundHandle block = MclSndCreate();
  EXPECT_EQ(MclSndSetFormat(reader, halfRate, channels), 0);
  const auto total = static_cast<std::int64_t>(seconds * sound.rate);
  for (std::int64_t k = 1, done = 0; done < total; ++k) {
    const std::int64_t end = std::min<std::int64_t>(total, k * halfRate / 50);
    EXPECT_EQ(MclReadSound(reader, done, static_cast<std::int32_t>(end - done), block), 0);
    std::int32_t unused = 0, got = 0, bits = 0, bytes = 0;
    const unsigned char* data = nullptr;
    MclSndGetInfo(block, &unused, &got, &bits, &bytes, &data);
    EXPECT_EQ(got, channels);
    EXPECT_EQ(bits, 16);
    const std::size_t old = sound.values.size();
    sound.values.resize(old + static_cast<std::size_t>(bytes) / 2);
    if (bytes > 0) std::memcpy(sound.values.data() + old, data, static_cast<std::size_t>(bytes));
    done = end;
  }
  MclSndFree(block);
  MclReadClose(reader);
  return sound;
}

// FFmpeg's own mix and resampling of the clip, for comparison.
Sound FfmpegsMix(const std::string& clip, const std::string& name, int rate, int channels) {
  const auto raw = CachedClip(name, {"-i", clip, "-ac", std::to_string(channels), "-ar", std::to_string(rate), "-f",
                                     "s16le", "-c:a", "pcm_s16le"});
  const std::string bytes = [&raw] {
    std::FILE* file = std::fopen(raw.c_str(), "rb");
    std::string all;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) all.append(buffer, n);
    std::fclose(file);
    return all;
  }();
  Sound sound{std::vector<std::int16_t>(bytes.size() / 2), channels, static_cast<double>(rate)};
  std::memcpy(sound.values.data(), bytes.data(), sound.values.size() * 2);
  return sound;
}

// The tone's complex amplitude over [from, from + seconds), Hann-windowed.
std::complex<double> Tone(const Sound& sound, int channel, double frequency, double from, double seconds) {
  const auto first = static_cast<std::size_t>(from * sound.rate);
  const auto count = static_cast<std::size_t>(seconds * sound.rate);
  std::complex<double> sum;
  for (std::size_t i = 0; i < count && first + i < sound.Frames(); ++i) {
    const double window = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / (count - 1));
    const double phase = -2 * std::numbers::pi * frequency * static_cast<double>(first + i) / sound.rate;
    sum += sound.At(first + i, channel) * window * std::polar(1.0, phase);
  }
  return sum * (4.0 / static_cast<double>(count));  // a full-scale sine gives 1
}

double LevelDb(const Sound& sound, int channel, double frequency) {
  return 20 * std::log10(std::max(std::abs(Tone(sound, channel, frequency, 0.2, 0.5)), 1e-12));
}

std::string ClipOf(const std::string& name, const std::string& sound) {
  return CachedClip(name, {"-f", "lavfi", "-i", "color=black:s=64x48:r=25:d=2", "-f", "lavfi", "-i", sound, "-c:v",
                           "mpeg4", "-c:a", "pcm_s16le"})
      .string();
}

const char* const kSixTones =
    "aevalsrc=exprs='0.5*sin(2*PI*300*t)|0.5*sin(2*PI*500*t)|0.5*sin(2*PI*700*t)|0.5*sin(2*PI*900*t)|"
    "0.5*sin(2*PI*1100*t)|0.5*sin(2*PI*1300*t)':c=5.1:s=48000:d=2";

TEST(SoundFormat, EveryChannelIsMixedInAsFfmpegMixesIt) {
  struct Case {
    std::string clip, name;
    std::vector<double> tones;
  };
  const Case cases[] = {
      {ClipOf("right.avi", "aevalsrc=exprs='0|0.5*sin(2*PI*1000*t)':s=44100:d=2"), "right", {1000}},
      {ClipOf("tones51.avi", kSixTones), "tones51", {300, 500, 700, 1100, 1300}},
  };
  for (const Case& c : cases) {
    for (const int channels : {1, 2}) {
      SCOPED_TRACE(c.name + " to " + std::to_string(channels));
      const Sound ours = ReadInFormat(c.clip, 22050, channels, 1.0);
      const Sound theirs = FfmpegsMix(c.clip, c.name + std::to_string(channels) + ".raw", 11025, channels);
      for (int channel = 0; channel < channels; ++channel) {
        for (const double tone : c.tones) {
          const double expected = LevelDb(theirs, channel, tone);
          EXPECT_NEAR(LevelDb(ours, channel, tone), expected, 1.0) << "channel " << channel << ", " << tone << " Hz";
        }
      }
      // Each of the five full-range channels is heard somewhere (the LFE
      // channel, 900 Hz here, is left out by FFmpeg's mix as by players').
      for (const double tone : c.tones) {
        double loudest = -200;
        for (int channel = 0; channel < channels; ++channel) loudest = std::max(loudest, LevelDb(ours, channel, tone));
        EXPECT_GT(loudest, -26.0) << tone << " Hz";
      }
    }
  }
}

// What is left of the sound besides one tone, against the tone, in dB.
double ResidueDb(const Sound& sound, double frequency) {
  const double from = 0.2, seconds = 0.5;
  const std::complex<double> tone = Tone(sound, 0, frequency, from, seconds);
  double signal = 0, residue = 0;
  const auto first = static_cast<std::size_t>(from * sound.rate);
  for (std::size_t i = first; i < first + static_cast<std::size_t>(seconds * sound.rate); ++i) {
    const double fitted = std::real(tone * std::polar(1.0, 2 * std::numbers::pi * frequency * i / sound.rate));
    signal += fitted * fitted;
    residue += (sound.At(i, 0) - fitted) * (sound.At(i, 0) - fitted);
  }
  return 10 * std::log10(residue / signal);
}

TEST(SoundFormat, NothingFoldsBackFromAboveTheNewRate) {
  // 9 kHz beside 440 Hz at 44.1 kHz, in an 11025 Hz movie: picked samples
  // would fold it to 2025 Hz at full level.
  const std::string both = ClipOf("alias.avi", "aevalsrc=exprs='0.4*sin(2*PI*440*t)+0.4*sin(2*PI*9000*t)':s=44100:d=2");
  const Sound low = ReadInFormat(both, 22050, 1, 1.0);
  EXPECT_LT(LevelDb(low, 0, 2025) - LevelDb(low, 0, 440), -60.0);
  // A clean tone from 48 kHz to 44.1 kHz stays clean.
  const std::string clean = ClipOf("clean48.avi", "sine=f=1000:r=48000:d=2");
  EXPECT_LT(ResidueDb(ReadInFormat(clean, 88200, 2, 1.0), 1000), -70.0);
}

TEST(SoundFormat, PitchIsExactAtEverySwfRate) {
  const std::string clip = ClipOf("beep48.avi", "sine=f=1000:r=48000:d=2");
  for (const int halfRate : {11025, 22050, 44100, 88200}) {
    SCOPED_TRACE(halfRate);
    const Sound sound = ReadInFormat(clip, halfRate, 1, 1.5);
    // The phase a tenth of a second on tells the frequency to far better than a hertz.
    const double turn = std::arg(Tone(sound, 0, 1000, 0.6, 0.2) / Tone(sound, 0, 1000, 0.5, 0.2));
    const double frequency = 1000 + turn / (2 * std::numbers::pi * 0.1);
    EXPECT_NEAR(frequency, 1000.0, 0.05);
  }
}

// A tone, one second of missing sound, and from the third second on either
// the tone again (a gap to fill) or its times an hour later (a jump).
TEST(SoundFormat, GapsAreSilenceAndJumpsAreDamage) {
  struct Case {
    const char* name;
    const char* shift;
    double toneAgainAt;  // seconds
    bool damage;
  };
  const Case cases[] = {{"gap.mkv", "0", 2.0, false}, {"jump.mkv", "3600", 1.0, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string clip =
        CachedClip(c.name, {"-f", "lavfi", "-i", "color=black:s=64x48:r=25:d=4", "-f", "lavfi", "-i",
                            "sine=f=1000:r=44100:d=4", "-af",
                            std::string("aselect='not(between(t,1,2))',asetpts='PTS+gte(T,2)*") + c.shift + "/TB'",
                            "-c:v", "mpeg4", "-c:a", "pcm_s16le"})
            .string();
    SourceFileInfo info{};
    ASSERT_EQ(MclGetFileInfo(clip.c_str(), 0, &info, 0, 0), 0);  // and clears the last error
    const Sound sound = ReadInFormat(clip, 22050, 1, 2.9);
    EXPECT_EQ(MclGetError() != 0, c.damage) << MclGetErrorStr();
    ASSERT_GT(sound.Frames(), static_cast<std::size_t>(2.8 * sound.rate));
    EXPECT_GT(std::abs(Tone(sound, 0, 1000, 0.5, 0.4)), 0.1);  // the sine source plays at 1/8
    EXPECT_GT(std::abs(Tone(sound, 0, 1000, c.toneAgainAt + 0.1, 0.4)), 0.1);
    if (!c.damage) {
      EXPECT_LT(std::abs(Tone(sound, 0, 1000, 1.2, 0.6)), 0.001) << "silence in the gap";
    }
  }
}

}  // namespace
