// Sample frames of the first audio stream by position on the video's clock,
// on a demuxer of its own: position n is the sound at t0 + n / rate, t0 the
// first picture's time. Sound before t0 is skipped; where the sound starts
// later or has gaps, silence fills them. Decodes forward and keeps the
// converted samples not yet read, so sequential reads never decode a packet
// twice; a backward read seeks.
#pragma once

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "media/mcl/MediaSource.h"
#include "media/mcl/PacketDecoder.h"

namespace mcl {

class SoundReader {
 public:
  // A file without sound gives a reader that delivers no samples; null only
  // when the file cannot be opened at all. startSeconds is t0.
  static std::unique_ptr<SoundReader> Open(const SourceFiles& files, double startSeconds, ErrorKind& kind);

  // Replaces out with up to count sample frames from position first; fewer
  // (possibly none) at the end of the sound. False when the file has a
  // sound track of which nothing can be decoded.
  bool Read(std::int64_t first, std::int32_t count, std::vector<std::uint8_t>& out);
  int Channels() const { return channels_; }
  int Bits() const { return format_ == AV_SAMPLE_FMT_U8 ? 8 : 16; }

  ~SoundReader() { av_channel_layout_uninit(&resamplerInput_); }
  SoundReader(const SoundReader&) = delete;
  SoundReader& operator=(const SoundReader&) = delete;

 private:
  static constexpr std::int64_t kUnplaced = INT64_MIN;

  SoundReader(SourceFiles files, double startSeconds, MediaSource source);
  void Attach(MediaSource source);
  std::size_t FrameBytes() const { return static_cast<std::size_t>(channels_) * (Bits() / 8); }
  std::int64_t FifoEnd() const;
  std::int64_t PositionOf(std::int64_t ts) const;
  bool DecodeMore(std::int64_t keepFrom);
  void Place(std::int64_t at, std::int64_t keepFrom);
  void FillSilenceTo(std::int64_t at, std::int64_t keepFrom);
  void DropFront(std::int64_t frames);
  bool Convert(const AVFrame& frame);
  bool ConfigureResampler(const AVFrame& frame);
  void Reposition(std::int64_t first);
  bool SeekBefore(std::int64_t first);
  void Rewind();

  SourceFiles files_;
  double startSeconds_;
  MediaSource source_;
  std::unique_ptr<PacketDecoder> decoder_;
  FramePtr frame_;
  SwrPtr resampler_;
  AVChannelLayout resamplerInput_{};
  int resamplerFormat_ = -1;
  int resamplerRate_ = 0;
  int channels_ = 1;
  AVSampleFormat format_ = AV_SAMPLE_FMT_S16;
  int rate_ = 0;
  std::vector<std::uint8_t> fifo_;  // converted, interleaved samples from fifoStart_ on
  std::int64_t fifoStart_ = 0;
  bool fromStart_ = true;  // the next frame is the file's first: silence before it
  bool afterSeek_ = false;
  bool ended_ = false;
  bool decodedAny_ = false;
};

}  // namespace mcl
