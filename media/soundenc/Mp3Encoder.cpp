// MP3 frames hold a fixed number of samples (576 or 1152) that do not divide
// a movie frame's share, and the encoder hands them out late. So the sound is
// fed ahead of the blocks taken, the encoded frames wait in a queue, and each
// block takes the whole frames that end by the end of its movie frame (counted
// in decoded samples, the encoder's delay included); its seek says how far
// into its first frame its own sound starts. Fed far enough ahead, every block
// stays less than one MP3 frame from the clock.
#include "media/soundenc/Mp3Encoder.h"

#include <cstdlib>
#include <deque>
#include <span>
#include <vector>

#include "media/soundenc/CodecOpen.h"
#include "media/soundenc/AppendSamples.h"

namespace soundenc {

namespace {

// The bitrates MPEG-1 (32 kHz and up), MPEG-2 (16 to 24 kHz) and, as LAME
// writes it, MPEG-2.5 (below 16 kHz) allow for layer III.
std::span<const int> AllowedBitrates(int sampleRate) {
  static constexpr int kMpeg1[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
  static constexpr int kMpeg2[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
  static constexpr int kMpeg25[] = {8, 16, 24, 32, 40, 48, 56, 64};
  if (sampleRate >= 32000) return kMpeg1;
  if (sampleRate >= 16000) return kMpeg2;
  return kMpeg25;
}

class Mp3Encoder : public SoundEncoder {
 public:
  Mp3Encoder(mcl::CodecPtr codec, int channels, int bitrateKbit)
      : codec_(std::move(codec)), channels_(channels), bitrateKbit_(bitrateKbit) {}

  std::uint8_t CompressionCode() const override { return 2; }
  int BitrateKbit() const override { return bitrateKbit_; }
  std::int16_t LatencySeek() const override { return static_cast<std::int16_t>(codec_->initial_padding); }

  // The delay, and the frames the encoder keeps back (about three) with one to spare.
  std::int64_t SamplesAhead() const override { return codec_->initial_padding + 4 * codec_->frame_size; }

  bool Feed(const std::int16_t* samples, std::int64_t frames) override {
    AppendSamples(pending_, samples, frames, channels_);
    fedLengths_.push_back(frames);
    return EncodeWholeFrames();
  }

  std::optional<EncodedSoundBlock> TakeBlock() override {
    const std::int64_t blockStart = clock_ + codec_->initial_padding;  // decoded position of this movie frame
    if (!fedLengths_.empty()) {
      clock_ += fedLengths_.front();
      fedLengths_.pop_front();
    }
    EncodedSoundBlock block;
    block.mp3 = Mp3BlockHead{0, static_cast<std::int16_t>(blockStart - placed_)};
    const int frameSize = codec_->frame_size;
    while (!waiting_.empty() && placed_ + frameSize <= clock_ + codec_->initial_padding) {
      block.bytes.insert(block.bytes.end(), waiting_.front().begin(), waiting_.front().end());
      waiting_.pop_front();
      placed_ += frameSize;
      block.mp3->sampleCount = static_cast<std::uint16_t>(block.mp3->sampleCount + frameSize);
    }
    return block;
  }

 private:
  bool EncodeWholeFrames() {
    const std::size_t frameValues = static_cast<std::size_t>(codec_->frame_size) * channels_;
    std::size_t used = 0;
    std::vector<std::vector<std::uint8_t>> packets;
    for (; pending_.size() - used >= frameValues; used += frameValues) {
      if (!EncodeFrame(*codec_, pending_.data() + used, codec_->frame_size, packets)) return false;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(used));
    for (auto& packet : packets) waiting_.push_back(std::move(packet));
    return true;
  }

  mcl::CodecPtr codec_;
  int channels_;
  int bitrateKbit_;
  std::vector<std::int16_t> pending_;              // samples not yet a whole encoder frame
  std::deque<std::vector<std::uint8_t>> waiting_;  // encoded MP3 frames not yet in a block
  std::deque<std::int64_t> fedLengths_;            // sample frames of each movie frame fed, not taken
  std::int64_t clock_ = 0;                         // sample frames of all movie frames taken
  std::int64_t placed_ = 0;                        // decoded samples of the frames in blocks
};

}  // namespace

int NearestMp3Bitrate(int sampleRate, int kbit) {
  int nearest = 0;
  for (const int allowed : AllowedBitrates(sampleRate))
    if (nearest == 0 || std::abs(allowed - kbit) < std::abs(nearest - kbit)) nearest = allowed;
  return nearest;
}

std::unique_ptr<SoundEncoder> MakeMp3Encoder(const SoundEncoderFormat& format) {
  const int kbit = NearestMp3Bitrate(format.sampleRate, format.mp3BitrateKbit);
  mcl::CodecPtr codec = OpenEncoder({AV_CODEC_ID_MP3, "libmp3lame", AV_SAMPLE_FMT_S16P, format.sampleRate,
                                     format.channels, static_cast<std::int64_t>(kbit) * 1000});
  if (!codec || codec->frame_size <= 0) return nullptr;
  return std::make_unique<Mp3Encoder>(std::move(codec), format.channels, kbit);
}

}  // namespace soundenc
