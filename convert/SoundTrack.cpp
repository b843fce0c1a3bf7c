#include "convert/SoundTrack.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "convert/MovieBuilder.h"

namespace {

constexpr std::int32_t kMostFramesAhead = 1000;  // bounds the reading ahead whatever the rates
constexpr std::int64_t kLargestSampleCount = 65535;

struct RateChoice {
  std::int32_t code;
  std::int64_t halfRate;
};

RateChoice RateOf(int choice) {
  switch (choice) {
    case 1:
      return {1, 22050};
    case 2:
      return {2, 44100};
    case 3:
      return {3, 88200};
    default:
      return {0, 11025};
  }
}

std::string ErrorText(const DecoderFunctions& decoder) {
  const char* text = decoder.MclGetError() != 0 ? decoder.MclGetErrorStr() : nullptr;
  return text != nullptr ? text : "";
}

}  // namespace

std::uint8_t to8(std::int16_t sample) { return static_cast<std::uint8_t>((sample >> 8) + 128); }

std::int16_t to16(std::uint8_t sample) { return static_cast<std::int16_t>((sample - 128) * 256); }

std::int32_t TruncateToInt32(double value) {
  if (std::isnan(value)) return 0;
  const double low = std::numeric_limits<std::int32_t>::min();
  const double high = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::trunc(std::fmin(std::fmax(value, low), high)));
}

SoundFormat ChooseSoundFormat(const ConversionSettings& settings) {
  const RateChoice choice = RateOf(settings.sampleRateChoice);
  SoundFormat format;
  format.rateCode = choice.code;
  format.halfRate = choice.halfRate;
  format.compression = settings.soundCompression;
  // Compressed sound is always made from 16-bit samples and announced so.
  format.bits16 = settings.audio16Bit || settings.soundCompression != SoundCompression::Pcm;
  format.stereo = settings.stereo;
  format.mp3BitrateKbit = settings.mp3BitrateKbit;
  return format;
}

std::int64_t SamplesUpTo(std::int64_t frames, std::int64_t halfRate, double fps) {
  const auto wholeFps = static_cast<std::int64_t>(fps);
  if (fps >= 1 && static_cast<double>(wholeFps) == fps) return frames * halfRate / (2 * wholeFps);
  const double samples = std::floor(static_cast<double>(frames) * static_cast<double>(halfRate) / (2 * fps) + 1e-9);
  // Bounded so a frame rate of 0 cannot make the cast undefined.
  return samples > 0 && samples < 1e15 ? static_cast<std::int64_t>(samples) : 0;
}

void WritePcm(const unsigned char* samples, std::int64_t delivered, const SoundFormat& format, std::int64_t frames,
              unsigned char* out) {
  static_assert(std::endian::native == std::endian::little, "16-bit samples are written little-endian");
  const auto values = static_cast<std::size_t>(std::clamp<std::int64_t>(delivered, 0, frames) * format.Channels());
  const auto total = static_cast<std::size_t>(frames * format.Channels());
  if (format.bits16) {
    if (values > 0) std::memcpy(out, samples, values * 2);
    std::memset(out + values * 2, 0, (total - values) * 2);
    return;
  }
  for (std::size_t i = 0; i < values; ++i) {
    std::int16_t value;
    std::memcpy(&value, samples + 2 * i, 2);
    out[i] = to8(value);
  }
  std::memset(out + values, 128, total - values);
}

bool SoundTrack::Start(const SoundFormat& format, double fps, MclReadHandle read, double firstSecond,
                       const std::string& sourcePath, std::string& error) {
  format_ = format;
  fps_ = fps;
  read_ = read;
  sourcePath_ = sourcePath;
  if (decoder_.MclSndSetFormat == nullptr ||
      decoder_.MclSndSetFormat(read, static_cast<std::int32_t>(format.halfRate), format.Channels()) != 0) {
    error = "Der Ton der Datei " + sourcePath + " kann nicht umgewandelt werden.";
    return false;
  }
  if (format.compression != SoundCompression::Pcm && !OpenEncoder(error)) return false;
  sound_ = {decoder_.MclSndCreate(), decoder_.MclSndFree};
  firstSample_ = std::llround(firstSecond * static_cast<double>(format.halfRate) / 2);
  started_ = true;
  return true;
}

bool SoundTrack::OpenEncoder(std::string& error) {
  if (decoder_.MakeSoundEncoder == nullptr) {
    error = "Komprimierter Ton ist hier nicht verfügbar.";
    return false;
  }
  const int asked = format_.mp3BitrateKbit > 0 ? format_.mp3BitrateKbit : format_.stereo ? 128 : 64;
  SoundEncoderFormat wanted;
  wanted.compression = format_.compression;
  wanted.sampleRate = static_cast<int>(format_.halfRate / 2);
  wanted.channels = format_.Channels();
  wanted.mp3BitrateKbit = asked;
  encoder_ = decoder_.MakeSoundEncoder(wanted, error);
  if (!encoder_) return false;
  const int used = encoder_->BitrateKbit();
  // The default quietly becomes what the rate allows; a bitrate asked for is told.
  if (format_.mp3BitrateKbit > 0 && used > 0 && used != asked)
    window_.ShowWarningLine("MP3 mit " + std::to_string(wanted.sampleRate) + " Hz erlaubt keine " +
                           std::to_string(asked) + " kbit/s; der Ton wird mit " + std::to_string(used) +
                           " kbit/s kodiert.");
  return true;
}

std::unique_ptr<FDTSoundStreamHead2> SoundTrack::Head() const {
  // The average block, rounded: 220.5 samples a frame are announced as 221.
  const double average = static_cast<double>(format_.halfRate) / (2 * fps_);
  const auto sampleCount = static_cast<std::uint16_t>(
      average > 0 ? std::min<std::int64_t>(std::llround(std::min(average, 1e9)), kLargestSampleCount) : 0);
  return std::make_unique<FDTSoundStreamHead2>(
      1, encoder_ ? encoder_->CompressionCode() : 0, static_cast<std::uint8_t>(format_.rateCode),
      static_cast<std::uint8_t>(format_.bits16), static_cast<std::uint8_t>(format_.stereo), sampleCount,
      encoder_ ? encoder_->LatencySeek() : 0);
}

std::uint64_t SoundTrack::LargestBlockBytes() const {
  if (!started_) return 0;
  return static_cast<std::uint64_t>(BlockLength(1) + 1) * static_cast<std::uint64_t>(format_.BytesPerFrame());
}

std::int64_t SoundTrack::BlockLength(std::int32_t number) const {
  return SamplesUpTo(number, format_.halfRate, fps_) - SamplesUpTo(number - 1, format_.halfRate, fps_);
}

std::unique_ptr<FObj> SoundTrack::NextBlock(bool wanted) {
  if (!started_) {
    if (wanted) ++blockNumber_;
    return nullptr;
  }
  // Made even when not wanted, so the clock and the encoder stay in step.
  const std::int64_t frames = BlockLength(blockNumber_);
  std::unique_ptr<FObj> block = encoder_ ? EncodedBlock(frames) : PcmBlock(frames);
  ++blockNumber_;
  return wanted ? std::move(block) : nullptr;
}

// Sound that cannot be decoded leaves the movie silent from here; the walk goes on.
void SoundTrack::ReportLost() {
  window_.ShowWarningLine("Der Ton der Datei " + sourcePath_ + " kann nicht gelesen werden; der Film bleibt stumm.");
  shownError_ = ErrorText(decoder_);
  lost_ = true;
  incomplete_ = true;
}

// The next frames samples of the part's sound, in the format asked for;
// delivered says how many came (fewer at the end of the sound).
const unsigned char* SoundTrack::ReadSamples(std::int64_t frames, std::int64_t& delivered) {
  delivered = 0;
  const std::int64_t first = firstSample_ + samplesRead_;
  samplesRead_ += frames;
  if (lost_ || frames <= 0) return nullptr;
  const std::string before = ErrorText(decoder_);
  if (decoder_.MclReadSound(read_, first, static_cast<std::int32_t>(frames), sound_.get()) != 0) {
    ReportLost();
    return nullptr;
  }
  // A jump in the sound's times is damage at this point: told once, the movie is incomplete.
  if (const std::string after = ErrorText(decoder_); !after.empty() && after != before && after != shownError_) {
    window_.ShowWarningLine(after);
    shownError_ = after;
    incomplete_ = true;
  }
  std::int32_t unused = 0, channels = 0, bits = 0, byteCount = 0;
  const unsigned char* data = nullptr;
  decoder_.MclSndGetInfo(sound_.get(), &unused, &channels, &bits, &byteCount, &data);
  if (bits != 16 || channels != format_.Channels() || data == nullptr || byteCount <= 0) return nullptr;
  delivered = std::min<std::int64_t>(frames, byteCount / (2 * channels));
  return data;
}

std::unique_ptr<FObj> SoundTrack::PcmBlock(std::int64_t frames) {
  std::int64_t delivered = 0;
  const unsigned char* samples = ReadSamples(frames, delivered);
  const std::int64_t blockBytes = frames * format_.BytesPerFrame();
  auto bytes = std::make_unique<unsigned char[]>(static_cast<std::size_t>(blockBytes));
  WritePcm(samples, delivered, format_, frames, bytes.get());
  auto block = std::make_unique<FDTSoundStreamBlock>(static_cast<std::uint32_t>(blockBytes), bytes.get());
  return std::make_unique<TagWithBytes>(std::move(block), std::move(bytes));
}

// The encoder is fed the sound of later movie frames as far ahead as it keeps
// sound back, so each block can hold its own frame's sound.
bool SoundTrack::FeedEncoder(std::int64_t frames) {
  const std::int64_t fedUpTo = samplesTaken_ + frames + encoder_->SamplesAhead();
  const auto wanted = [this, fedUpTo] {
    return blocksFed_ < blockNumber_ || (samplesFed_ <= fedUpTo && blocksFed_ - blockNumber_ < kMostFramesAhead);
  };
  std::vector<std::int16_t> samples;
  bool fed = true;
  while (wanted()) {
    const std::int32_t number = blocksFed_ + 1;
    const std::int64_t length = BlockLength(number);
    std::int64_t delivered = 0;
    const unsigned char* data = ReadSamples(length, delivered);
    samples.assign(static_cast<std::size_t>(length * format_.Channels()), 0);
    if (delivered > 0) std::memcpy(samples.data(), data, static_cast<std::size_t>(delivered * format_.Channels()) * 2);
    fed = encoder_->Feed(samples.data(), length) && fed;
    blocksFed_ = number;
    samplesFed_ += length;
  }
  return fed;
}

std::unique_ptr<FObj> SoundTrack::EncodedBlock(std::int64_t frames) {
  const bool fed = FeedEncoder(frames);
  std::optional<EncodedSoundBlock> block = encoder_->TakeBlock();  // taken either way, to stay in step
  samplesTaken_ += frames;
  if (!fed || !block) {
    if (!incomplete_) window_.ShowWarningLine(kSoundEncodingFailedLine);
    incomplete_ = true;
    block = EncodedSoundBlock{};
    if (format_.compression == SoundCompression::Mp3) block->mp3 = Mp3BlockHead{0, 0};
  }
  const auto size = static_cast<std::uint32_t>(block->bytes.size());
  auto bytes = std::make_unique<unsigned char[]>(block->bytes.size());
  std::copy(block->bytes.begin(), block->bytes.end(), bytes.get());
  auto tag = block->mp3 ? std::make_unique<FDTSoundStreamBlock>(*block->mp3, size, bytes.get())
                        : std::make_unique<FDTSoundStreamBlock>(size, bytes.get());
  return std::make_unique<TagWithBytes>(std::move(tag), std::move(bytes));
}
