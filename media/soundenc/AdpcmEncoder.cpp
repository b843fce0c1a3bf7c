// A SWF ADPCM block is decoded on its own: a 2-bit code size, then packets of
// up to 4096 samples, each starting with its first sample and step index
// whole. FFmpeg's encoder only makes whole 4096-sample packets, each with its
// own code size and byte padding, and pads a short last frame with silence.
// So each block gets a fresh encoder, its packets lose their code size and
// padding and are packed one after another, and the last one is cut after
// the block's own samples (the coding looks only backwards, so the padding
// changes nothing before the cut). Decoders take trailing fill bits that
// could hold one more code for one more sample (mono only: 4 bits), so such a
// block keeps its last sample back for the next one; at most two samples wait.
#include "media/soundenc/AdpcmEncoder.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <vector>

#include "media/soundenc/BitPacker.h"
#include "media/soundenc/CodecOpen.h"
#include "media/soundenc/AppendSamples.h"

namespace soundenc {

namespace {

constexpr int kPacketSamples = 4096;
constexpr int kCodeSizeBits = 2;
constexpr std::uint32_t kFourBitCodes = 2;  // code size field: codes of 2 + 2 bits
constexpr int kPacketHeadBits = 16 + 6;     // first sample, step index; per channel
constexpr int kCodeBits = 4;

// Bits of a block of count samples, code size included.
std::int64_t BlockBits(std::int64_t count, int channels) {
  const std::int64_t whole = count / kPacketSamples, rest = count % kPacketSamples;
  std::int64_t bits = kCodeSizeBits + whole * channels * (kPacketHeadBits + kCodeBits * (kPacketSamples - 1));
  if (rest > 0) bits += channels * (kPacketHeadBits + kCodeBits * (rest - 1));
  return bits;
}

// As many samples as the block can end with without its fill bits reading as one more.
std::int64_t CleanCount(std::int64_t count, int channels) {
  while (count > 1 && (8 - BlockBits(count, channels) % 8) % 8 >= kCodeBits * channels) --count;
  return count;
}

class AdpcmEncoder : public SoundEncoder {
 public:
  explicit AdpcmEncoder(int channels) : channels_(channels) {}

  std::uint8_t CompressionCode() const override { return 1; }

  bool Feed(const std::int16_t* samples, std::int64_t frames) override {
    AppendSamples(waiting_, samples, frames, channels_);
    fedLengths_.push_back(frames);
    return true;
  }

  std::optional<EncodedSoundBlock> TakeBlock() override {
    if (!fedLengths_.empty()) {
      due_ += fedLengths_.front();
      fedLengths_.pop_front();
    }
    const std::int64_t count = CleanCount(due_, channels_);
    std::optional<EncodedSoundBlock> block = Encode(waiting_.data(), count);
    waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(count * channels_));
    due_ -= count;
    return block;
  }

 private:
  std::optional<EncodedSoundBlock> Encode(const std::int16_t* samples, std::int64_t frames) const {
    if (frames <= 0) return EncodedSoundBlock{};
    // The encoder checks the rate but does not use it; the samples keep theirs.
    mcl::CodecPtr codec = OpenEncoder({AV_CODEC_ID_ADPCM_SWF, nullptr, AV_SAMPLE_FMT_S16, 44100, channels_});
    if (!codec || codec->frame_size != kPacketSamples) return std::nullopt;
    BitPacker block;
    block.Put(kFourBitCodes, kCodeSizeBits);
    std::vector<std::int16_t> packetSamples(static_cast<std::size_t>(kPacketSamples * channels_), 0);
    for (std::int64_t first = 0; first < frames; first += kPacketSamples) {
      const auto count = static_cast<int>(std::min<std::int64_t>(kPacketSamples, frames - first));
      std::fill(packetSamples.begin(), packetSamples.end(), 0);
      std::memcpy(packetSamples.data(), samples + first * channels_,
                  static_cast<std::size_t>(count) * channels_ * sizeof(std::int16_t));
      std::vector<std::vector<std::uint8_t>> packets;
      if (!EncodeFrame(*codec, packetSamples.data(), kPacketSamples, packets) || packets.size() != 1)
        return std::nullopt;
      const std::int64_t bits = BlockBits(count, channels_) - kCodeSizeBits;
      if (static_cast<std::int64_t>(packets[0].size()) * 8 < kCodeSizeBits + bits) return std::nullopt;
      block.CopyBits(packets[0].data(), kCodeSizeBits, bits);
    }
    return EncodedSoundBlock{block.Take(), std::nullopt};
  }

  int channels_;
  std::vector<std::int16_t> waiting_;    // samples held back from earlier blocks, then the blocks fed
  std::deque<std::int64_t> fedLengths_;  // sample frames of each movie frame fed, not taken
  std::int64_t due_ = 0;                 // sample frames held back and of the block being taken
};

}  // namespace

std::unique_ptr<SoundEncoder> MakeAdpcmEncoder(const SoundEncoderFormat& format) {
  if (!OpenEncoder({AV_CODEC_ID_ADPCM_SWF, nullptr, AV_SAMPLE_FMT_S16, 44100, format.channels})) return nullptr;
  return std::make_unique<AdpcmEncoder>(format.channels);
}

}  // namespace soundenc
