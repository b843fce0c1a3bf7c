#include "tests/support/FlashBeep.h"

#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <cstring>
#include <memory>

#include "tests/support/ProcessRunner.h"

namespace {

constexpr std::uint16_t kShowFrame = 1;
constexpr std::uint16_t kSoundStreamBlock = 19;
constexpr std::uint16_t kDefineBitsJpeg2 = 21;
constexpr std::uint16_t kSoundStreamHead2 = 45;

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9f", value);
  return text;
}

double RateValue(const std::string& rate) {
  const auto slash = rate.find('/');
  if (slash == std::string::npos) return std::stod(rate);
  return std::stod(rate.substr(0, slash)) / std::stod(rate.substr(slash + 1));
}

// Mean brightness (0..255) of the JPEG in a DefineBitsJPEG2 body, -1 if unreadable.
double MeanBrightness(const std::vector<std::uint8_t>& body) {
  constexpr std::size_t kSkip = 2 + 4;  // character id, then an end and a start marker
  if (body.size() <= kSkip) return -1;
  std::unique_ptr<void, int (*)(tjhandle)> decoder(tjInitDecompress(), tjDestroy);
  const unsigned char* jpeg = body.data() + kSkip;
  const auto size = static_cast<unsigned long>(body.size() - kSkip);
  int width = 0, height = 0, subsampling = 0, colourspace = 0;
  if (!decoder || tjDecompressHeader3(decoder.get(), jpeg, size, &width, &height, &subsampling, &colourspace) != 0)
    return -1;
  std::vector<unsigned char> gray(static_cast<std::size_t>(width) * height);
  if (tjDecompress2(decoder.get(), jpeg, size, gray.data(), width, 0, height, TJPF_GRAY, 0) != 0) return -1;
  double sum = 0;
  for (unsigned char g : gray) sum += g;
  return sum / static_cast<double>(gray.size());
}

constexpr int kMp3 = 2;  // the head's compression code

struct StreamFormat {
  double rate = 0;  // that the blocks are counted in: the SWF rate of the head's code
  bool sixteen = false;
  bool stereo = false;
  int compression = 0;
  int latencySeek = 0;  // MP3 only
};

StreamFormat FormatOf(const SwfTag& head) {
  static const double kRates[4] = {5512.5, 11025, 22050, 44100};
  if (head.body.size() < 4) return {};
  const std::uint8_t stream = head.body[1];
  StreamFormat format{kRates[(stream >> 2) & 3], (stream & 2) != 0, (stream & 1) != 0, stream >> 4, 0};
  if (format.compression != kMp3) return format;
  if (head.body.size() >= 6) format.latencySeek = static_cast<std::int16_t>(head.body[4] | (head.body[5] << 8));
  return format;
}

// The movie's sound as FFmpeg decodes it, mono, at the stream's own rate, -1..1.
std::vector<double> DecodedSound(const std::filesystem::path& movieFile) {
  const std::filesystem::path raw = movieFile.string() + ".sound.raw";
  const ProgramResult run = RunProgram({{"ffmpeg", "-nostdin", "-v", "error", "-y", "-i", movieFile.string(), "-vn",
                                         "-ac", "1", "-f", "s16le", raw.string()}});
  if (run.exitCode != 0) return {};
  const std::string bytes = ReadWholeFile(raw);
  std::vector<double> samples(bytes.size() / 2);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    std::int16_t value = 0;
    std::memcpy(&value, bytes.data() + 2 * i, 2);
    samples[i] = value / 32768.0;
  }
  return samples;
}

// Left channel of the joined blocks, scaled to -1..1.
std::vector<double> LeftChannel(const SwfMovie& movie, const StreamFormat& format) {
  std::vector<double> samples;
  const std::size_t step = (format.sixteen ? 2 : 1) * (format.stereo ? 2 : 1);
  for (const SwfTag* block : TagsWithCode(movie, kSoundStreamBlock)) {
    for (std::size_t at = 0; at + step <= block->body.size(); at += step) {
      const std::uint8_t* p = block->body.data() + at;
      samples.push_back(format.sixteen ? static_cast<std::int16_t>(p[0] | (p[1] << 8)) / 32768.0
                                       : (p[0] - 128) / 128.0);
    }
  }
  return samples;
}

// A beep starts at a loud sample a tenth of a second or more after the last one.
std::vector<std::int64_t> BeepStarts(const std::vector<double>& samples, double rate) {
  std::vector<std::int64_t> starts;
  const auto quietNeeded = static_cast<std::int64_t>(rate / 10);
  std::int64_t lastLoud = -quietNeeded;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    if (std::fabs(samples[i]) <= 0.25) continue;
    const auto at = static_cast<std::int64_t>(i);
    if (at - lastLoud >= quietNeeded) starts.push_back(at);
    lastLoud = at;
  }
  return starts;
}

}  // namespace

std::vector<std::string> FlashBeepInputs(const FlashBeepClip& clip) {
  const double rate = RateValue(clip.rate);
  const double period = clip.flashEvery / rate;
  const double length = clip.flashLength / rate;
  const double lead = clip.soundLead;
  const std::string video = "color=black:s=160x120:r=" + clip.rate + ":d=" + Number(clip.seconds) +
                            ",drawbox=color=white:t=fill:enable='gte(n," + std::to_string(clip.flashEvery) +
                            ")*lt(mod(n," + std::to_string(clip.flashEvery) + ")," + std::to_string(clip.flashLength) +
                            ")'";
  // Picture time p = t - lead on the sound's own clock; half a sample of slack
  // keeps the beep's first sample on the flash's instant.
  const std::string p = "(t-" + Number(lead) + "+" + Number(0.5 / clip.sampleRate) + ")";
  const std::string beep = "aevalsrc=exprs='0.8*sin(2*PI*1000*t)*gte(" + p + "," + Number(period) + ")*lt(mod(" + p +
                           "," + Number(period) + ")," + Number(length) + ")':s=" + std::to_string(clip.sampleRate) +
                           ":d=" + Number(clip.seconds + std::fabs(lead));
  std::vector<std::string> args;
  if (lead > 0) args.insert(args.end(), {"-itsoffset", Number(lead)});
  args.insert(args.end(), {"-f", "lavfi", "-i", video});
  if (lead < 0) args.insert(args.end(), {"-itsoffset", Number(-lead)});
  args.insert(args.end(), {"-f", "lavfi", "-i", beep});
  return args;
}

namespace {

// The movie frames where a bright picture appears.
MovieSync FindFlashes(const SwfMovie& movie) {
  MovieSync sync;
  sync.frameRate = movie.frameRate / 256.0;
  bool bright = false;
  for (const SwfTag& tag : movie.tags) {
    if (tag.code == kShowFrame) ++sync.frames;
    if (tag.code != kDefineBitsJpeg2) continue;
    const bool nowBright = MeanBrightness(tag.body) > 128;
    if (nowBright && !bright) sync.flashFrames.push_back(sync.frames);
    bright = nowBright;
  }
  return sync;
}

}  // namespace

MovieSync FindFlashesAndBeeps(const SwfMovie& movie) {
  MovieSync sync = FindFlashes(movie);
  const std::vector<const SwfTag*> heads = TagsWithCode(movie, kSoundStreamHead2);
  if (heads.empty()) return sync;
  const StreamFormat format = FormatOf(*heads.front());
  sync.soundRate = format.rate;
  const std::vector<double> sound = LeftChannel(movie, format);
  sync.soundSamples = static_cast<std::int64_t>(sound.size());
  if (format.rate > 0) sync.beepStarts = BeepStarts(sound, format.rate);
  return sync;
}

MovieSync FindFlashesAndDecodedBeeps(const SwfMovie& movie, const std::filesystem::path& movieFile) {
  MovieSync sync = FindFlashes(movie);
  const std::vector<const SwfTag*> heads = TagsWithCode(movie, kSoundStreamHead2);
  if (heads.empty()) return sync;
  const StreamFormat format = FormatOf(*heads.front());
  sync.soundRate = format.rate;
  std::vector<double> sound = DecodedSound(movieFile);
  const auto skipped = static_cast<std::size_t>(std::max(0, format.latencySeek));
  sound.erase(sound.begin(), sound.begin() + static_cast<std::ptrdiff_t>(std::min(skipped, sound.size())));
  sync.soundSamples = static_cast<std::int64_t>(sound.size());
  if (format.rate > 0) sync.beepStarts = BeepStarts(sound, format.rate);
  return sync;
}

std::vector<double> FlashToBeepOffsets(const MovieSync& sync) {
  std::vector<double> offsets;
  if (sync.frameRate <= 0 || sync.soundRate <= 0) return offsets;
  for (int flash : sync.flashFrames) {
    const double at = flash / sync.frameRate;
    double nearest = std::numeric_limits<double>::infinity();
    for (std::int64_t beep : sync.beepStarts) {
      const double offset = static_cast<double>(beep) / sync.soundRate - at;
      if (std::fabs(offset) < std::fabs(nearest)) nearest = offset;
    }
    offsets.push_back(nearest);
  }
  return offsets;
}
