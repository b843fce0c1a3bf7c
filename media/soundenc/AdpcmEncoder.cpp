// SWF ADPCM by a small IMA encoder of its own. A block is decoded on its own:
// a 2-bit code size, then packets of up to 4096 samples, each starting with
// its first sample and step index whole. One coding state runs on through
// every block, so each packet starts with the step size the sound before it
// reached instead of the smallest one, which would flatten the first
// milliseconds of every loud block. Decoders take trailing fill bits that
// could hold one more code for one more sample (mono only: 4 bits), so such a
// block keeps its last sample back for the next one; at most two samples wait.
#include "media/soundenc/AdpcmEncoder.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <vector>

#include "media/soundenc/AppendSamples.h"
#include "media/soundenc/BitPacker.h"

namespace soundenc {

namespace {

constexpr int kPacketSamples = 4096;
constexpr int kCodeSizeBits = 2;
constexpr std::uint32_t kFourBitCodes = 2;  // code size field: codes of 2 + 2 bits
constexpr int kPacketHeadBits = 16 + 6;     // first sample, step index; per channel
constexpr int kCodeBits = 4;
constexpr int kLastIndex = 88;
constexpr int kLargestHeadIndex = 63;

constexpr int kSteps[kLastIndex + 1] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr int kIndexMoves[8] = {-1, -1, -1, -1, 2, 4, 6, 8};

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

// One channel's coder, stepping exactly as the decoders do.
struct ImaState {
  int predictor = 0;
  int index = 0;

  ImaState After(int code) const {
    int step = kSteps[index];
    int change = step >> 3;
    for (int bit = 4; bit > 0; bit >>= 1, step >>= 1)
      if (code & bit) change += step;
    return {std::clamp(code & 8 ? predictor - change : predictor + change, -32768, 32767),
            std::clamp(index + kIndexMoves[code & 7], 0, kLastIndex)};
  }

  // The usual IMA choice: the sign, then each step bit that still fits.
  int Encode(int sample) {
    int step = kSteps[index];
    int diff = sample - predictor;
    int code = diff < 0 ? 8 : 0;
    diff = std::abs(diff);
    for (int bit = 4; bit > 0; bit >>= 1, step >>= 1) {
      if (diff >= step) {
        code |= bit;
        diff -= step;
      }
    }
    *this = After(code);
    return code;
  }
};

// The smallest step that covers the first change of a sound that starts
// loud, for the very first packet; later ones carry the running index.
int IndexFor(int change) {
  int index = 0;
  while (index < kLastIndex && kSteps[index] < std::abs(change)) ++index;
  return index;
}

class AdpcmEncoder : public SoundEncoder {
 public:
  explicit AdpcmEncoder(int channels) : channels_(channels), states_(static_cast<std::size_t>(channels)) {}

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
    EncodedSoundBlock block{Encode(waiting_.data(), count), std::nullopt};
    waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(count * channels_));
    due_ -= count;
    return block;
  }

 private:
  std::vector<std::uint8_t> Encode(const std::int16_t* samples, std::int64_t frames) {
    if (frames <= 0) return {};
    BitPacker block;
    block.Put(kFourBitCodes, kCodeSizeBits);
    for (std::int64_t first = 0; first < frames; first += kPacketSamples) {
      const std::int64_t end = std::min<std::int64_t>(frames, first + kPacketSamples);
      PutPacketHead(block, samples, first, end);
      for (std::int64_t i = first + 1; i < end; ++i)
        for (int c = 0; c < channels_; ++c)
          block.Put(static_cast<std::uint32_t>(states_[c].Encode(samples[i * channels_ + c])), kCodeBits);
    }
    return block.Take();
  }

  void PutPacketHead(BitPacker& block, const std::int16_t* samples, std::int64_t first, std::int64_t end) {
    for (int c = 0; c < channels_; ++c) {
      ImaState& state = states_[c];
      state.predictor = samples[first * channels_ + c];
      if (!started_ && first + 1 < end) state.index = IndexFor(samples[(first + 1) * channels_ + c] - state.predictor);
      // The head has 6 bits for it; the coder climbs the rest in a few samples.
      state.index = std::min(state.index, kLargestHeadIndex);
      block.Put(static_cast<std::uint16_t>(state.predictor), 16);
      block.Put(static_cast<std::uint32_t>(state.index), 6);
    }
    started_ = true;
  }

  int channels_;
  std::vector<ImaState> states_;
  bool started_ = false;
  std::vector<std::int16_t> waiting_;    // samples held back from earlier blocks, then the blocks fed
  std::deque<std::int64_t> fedLengths_;  // sample frames of each movie frame fed, not taken
  std::int64_t due_ = 0;                 // sample frames held back and of the block being taken
};

}  // namespace

std::unique_ptr<SoundEncoder> MakeAdpcmEncoder(const SoundEncoderFormat& format) {
  if (format.channels != 1 && format.channels != 2) return nullptr;
  return std::make_unique<AdpcmEncoder>(format.channels);
}

}  // namespace soundenc
