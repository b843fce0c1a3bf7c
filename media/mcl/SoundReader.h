// Sample frames of the first audio stream by position, on a demuxer of its
// own. Decodes forward and keeps the converted samples not yet read, so
// sequential reads never decode a packet twice; a backward read seeks.
#pragma once

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
  // when the file cannot be opened at all.
  static std::unique_ptr<SoundReader> Open(const std::string& path, ErrorKind& kind);

  // Replaces out with up to count sample frames from position first; fewer
  // (possibly none) at the end of the sound.
  void Read(std::int64_t first, std::int32_t count, std::vector<std::uint8_t>& out);
  int Channels() const { return channels_; }
  int Bits() const { return format_ == AV_SAMPLE_FMT_U8 ? 8 : 16; }

  ~SoundReader() { av_channel_layout_uninit(&resamplerInput_); }
  SoundReader(const SoundReader&) = delete;
  SoundReader& operator=(const SoundReader&) = delete;

 private:
  SoundReader(std::string path, MediaSource source);
  void Attach(MediaSource source);
  std::int64_t FifoEnd() const;
  bool DecodeMore(std::int64_t keepFrom);
  bool Convert(const AVFrame& frame);
  bool ConfigureResampler(const AVFrame& frame);
  void Reposition(std::int64_t first);
  bool SeekBefore(std::int64_t first);
  void Rewind();

  std::string path_;
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
  std::int64_t firstTs_ = AV_NOPTS_VALUE;
  bool afterSeek_ = false;
  bool ended_ = false;
};

}  // namespace mcl
