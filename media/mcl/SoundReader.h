// Sample frames of the first audio stream by position on the video's clock,
// on a demuxer of its own: position n is the sound at t0 + n / rate, t0 the
// first picture's time. Sound before t0 is skipped; where the sound starts
// later or has gaps, silence fills them, made only as far as a read reaches.
// A jump of the sound's times far beyond any plausible gap is damage: the
// sound goes on where it was expected, and the reader says so once.
// Decodes forward and keeps the converted samples not yet read, so
// sequential reads never decode a packet twice; a backward read seeks.
#pragma once

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "media/mcl/MediaSource.h"
#include "media/mcl/PacketDecoder.h"

namespace mcl {

// What a reader delivers when asked for a format: signed 16-bit samples in
// one or two channels, mixed down by FFmpeg's standard matrix from whatever
// layout the source has, resampled to halfRate / 2 samples a second (twice
// the rate, so that 5512.5 is exact).
struct SoundOutput {
  std::int64_t halfRate = 0;  // 0: the source's own rate, channels (at most 2) and sample size
  int channels = 2;
};

class SoundReader {
 public:
  // A file without sound gives a reader that delivers no samples; null only
  // when the file cannot be opened at all. startSeconds is t0.
  static std::unique_ptr<SoundReader> Open(const SourceFiles& files, double startSeconds, const SoundOutput& output,
                                           ErrorKind& kind);

  // Replaces out with up to count sample frames from position first; fewer
  // (possibly none) at the end of the sound. False when the file has a
  // sound track of which nothing can be decoded.
  bool Read(std::int64_t first, std::int32_t count, std::vector<std::uint8_t>& out);
  int Channels() const { return channels_; }
  double Rate() const { return static_cast<double>(halfRate_) / 2; }
  int Bits() const { return format_ == AV_SAMPLE_FMT_U8 ? 8 : 16; }
  // True once after the sound's times jumped beyond any plausible gap.
  bool TakeJump() { return std::exchange(jumped_, false); }
  // True once, after the first read during which a frame did not decode (the
  // decoder refused it or logged an error): the sound has a gap or a click there.
  bool TakeFirstDamage() { return std::exchange(damaged_, false) && !std::exchange(damageTold_, true); }

  ~SoundReader() { av_channel_layout_uninit(&resamplerInput_); }
  SoundReader(const SoundReader&) = delete;
  SoundReader& operator=(const SoundReader&) = delete;

 private:
  static constexpr std::int64_t kUnplaced = INT64_MIN;

  SoundReader(SourceFiles files, double startSeconds, const SoundOutput& output, MediaSource source);
  void Attach(MediaSource source);
  std::size_t FrameBytes() const { return static_cast<std::size_t>(channels_) * (Bits() / 8); }
  std::int64_t FifoEnd() const;
  std::int64_t Expected() const;
  std::int64_t PositionOf(std::int64_t ts) const;
  bool ProduceMore(std::int64_t wantedEnd, std::int64_t keepFrom);
  bool DecodeMore(std::int64_t keepFrom);
  bool ConvertHeld(std::int64_t keepFrom);
  void NoteErrors(bool decoded);
  void StartCounting(bool spareFirstFrame);
  bool FillGap(std::int64_t wantedEnd, std::int64_t keepFrom);
  void Place(std::int64_t at);
  void AppendSilence(std::int64_t to, std::int64_t keepFrom);
  void DropFront(std::int64_t frames);
  bool Convert(const AVFrame* frame);
  bool ConfigureResampler(const AVFrame& frame);
  void Reposition(std::int64_t first);
  bool SeekBefore(std::int64_t first);
  void Rewind();

  SourceFiles files_;
  double startSeconds_;
  LoggedErrors loggedErrors_;  // before the source, whose contexts count in it
  int errorsSoFar_ = 0;         // frames the decoder refused
  int errorsAtLastFrame_ = 0;       // refused and logged, when the last frame decoded
  bool errorsInLastFrame_ = false;  // since the frame before it
  bool firstFrameSpared_ = false;
  bool cutAtSectors_ = false;  // DVD parts
  bool damaged_ = false;
  bool damageTold_ = false;
  MediaSource source_;
  std::unique_ptr<PacketDecoder> decoder_;
  FramePtr frame_;
  SwrPtr resampler_;
  AVChannelLayout resamplerInput_{};
  int resamplerFormat_ = -1;
  int resamplerRate_ = 0;
  int channels_ = 1;
  AVSampleFormat format_ = AV_SAMPLE_FMT_S16;
  std::int64_t halfRate_ = 0;
  std::vector<std::uint8_t> fifo_;  // converted, interleaved samples from fifoStart_ on
  std::int64_t fifoStart_ = 0;
  std::int64_t gapEnd_ = kUnplaced;  // the decoded frame waits for silence up to here
  std::int64_t shift_ = 0;           // added to every position since a jump
  bool fromStart_ = true;            // the next frame is the file's first: silence before it
  bool afterSeek_ = false;
  bool ended_ = false;
  bool decodedAny_ = false;
  bool jumped_ = false;
};

}  // namespace mcl
