#include "media/mcl/SoundReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace mcl {
namespace {

bool IsEightBit(AVSampleFormat format) { return format == AV_SAMPLE_FMT_U8 || format == AV_SAMPLE_FMT_U8P; }

}  // namespace

std::unique_ptr<SoundReader> SoundReader::Open(const std::string& path, ErrorKind& kind) {
  MediaSource source;
  kind = OpenMediaSource(path, AVMEDIA_TYPE_AUDIO, source);
  if (kind != ErrorKind::kNone) return nullptr;
  return std::unique_ptr<SoundReader>(new SoundReader(path, std::move(source)));
}

SoundReader::SoundReader(std::string path, MediaSource source) : path_(std::move(path)), frame_(av_frame_alloc()) {
  Attach(std::move(source));
  if (!decoder_) {
    ended_ = true;
    return;
  }
  channels_ = source_.codec->ch_layout.nb_channels == 1 ? 1 : 2;  // more are mixed down to stereo
  format_ = IsEightBit(source_.codec->sample_fmt) ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16;
  rate_ = source_.codec->sample_rate;
  if (!frame_ || rate_ <= 0) ended_ = true;
}

void SoundReader::Read(std::int64_t first, std::int32_t count, std::vector<std::uint8_t>& out) {
  out.clear();
  if (first < 0 || count <= 0 || !decoder_) return;
  if (first < fifoStart_) Reposition(first);
  const std::size_t frameBytes = static_cast<std::size_t>(channels_) * (Bits() / 8);
  if (first > fifoStart_) {
    const auto drop = static_cast<std::size_t>(std::min(first, FifoEnd()) - fifoStart_) * frameBytes;
    fifo_.erase(fifo_.begin(), fifo_.begin() + static_cast<std::ptrdiff_t>(drop));
    fifoStart_ += static_cast<std::int64_t>(drop / frameBytes);
  }
  while (FifoEnd() < first + count && DecodeMore(first)) {
  }
  if (first < fifoStart_ || first >= FifoEnd()) return;
  const std::int64_t available = std::min<std::int64_t>(count, FifoEnd() - first);
  const auto begin = fifo_.begin() + static_cast<std::ptrdiff_t>((first - fifoStart_) * frameBytes);
  out.assign(begin, begin + static_cast<std::ptrdiff_t>(available * frameBytes));
}

std::int64_t SoundReader::FifoEnd() const {
  const std::size_t frameBytes = static_cast<std::size_t>(channels_) * (Bits() / 8);
  return fifoStart_ + static_cast<std::int64_t>(fifo_.size() / frameBytes);
}

bool SoundReader::DecodeMore(std::int64_t keepFrom) {
  if (ended_) return false;
  if (decoder_->Next(frame_.get()) != DecodeStatus::kFrame) {
    ended_ = true;
    return false;
  }
  const std::int64_t ts = frame_->best_effort_timestamp;
  if (firstTs_ == AV_NOPTS_VALUE && fifoStart_ == 0 && fifo_.empty()) firstTs_ = ts;
  if (afterSeek_) {
    afterSeek_ = false;
    const double position = static_cast<double>(ts - firstTs_) * av_q2d(source_.Stream()->time_base) * rate_;
    fifoStart_ = std::max<std::int64_t>(0, std::llround(position));
  }
  if (FifoEnd() < keepFrom) {  // skipping ahead: keep only what a read can use
    fifoStart_ = FifoEnd();
    fifo_.clear();
  }
  return Convert(*frame_);
}

bool SoundReader::Convert(const AVFrame& frame) {
  if (!ConfigureResampler(frame)) {
    ended_ = true;
    return false;
  }
  const int room = swr_get_out_samples(resampler_.get(), frame.nb_samples);
  const std::size_t frameBytes = static_cast<std::size_t>(channels_) * (Bits() / 8);
  const std::size_t oldSize = fifo_.size();
  fifo_.resize(oldSize + static_cast<std::size_t>(std::max(room, 0)) * frameBytes);
  std::uint8_t* outPlane = fifo_.data() + oldSize;
  const int converted = swr_convert(resampler_.get(), &outPlane, room,
                                    const_cast<const std::uint8_t**>(frame.extended_data), frame.nb_samples);
  fifo_.resize(oldSize + static_cast<std::size_t>(std::max(converted, 0)) * frameBytes);
  return true;
}

bool SoundReader::ConfigureResampler(const AVFrame& frame) {
  AVChannelLayout input{};
  if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
    av_channel_layout_default(&input, frame.ch_layout.nb_channels);
  } else if (av_channel_layout_copy(&input, &frame.ch_layout) < 0) {
    return false;
  }
  const bool same = resampler_ && av_channel_layout_compare(&input, &resamplerInput_) == 0 &&
                    frame.format == resamplerFormat_ && frame.sample_rate == resamplerRate_;
  if (same) {
    av_channel_layout_uninit(&input);
    return true;
  }
  av_channel_layout_uninit(&resamplerInput_);
  resamplerInput_ = input;
  resamplerFormat_ = frame.format;
  resamplerRate_ = frame.sample_rate;
  AVChannelLayout output{};
  av_channel_layout_default(&output, channels_);
  SwrContext* raw = nullptr;
  const int made = swr_alloc_set_opts2(&raw, &output, format_, rate_, &input, static_cast<AVSampleFormat>(frame.format),
                                       frame.sample_rate, 0, nullptr);
  resampler_.reset(raw);
  return made >= 0 && swr_init(raw) >= 0;
}

void SoundReader::Reposition(std::int64_t first) {
  if (!SeekBefore(first)) Rewind();
}

bool SoundReader::SeekBefore(std::int64_t first) {
  if (firstTs_ == AV_NOPTS_VALUE) return false;
  // A second early, so that a seek that lands a little late still lands before.
  const std::int64_t margin = std::max<std::int64_t>(0, first - rate_);
  const AVRational sampleTime{1, rate_};
  const std::int64_t target = firstTs_ + av_rescale_q(margin, sampleTime, source_.Stream()->time_base);
  if (av_seek_frame(source_.format.get(), source_.stream, target, AVSEEK_FLAG_BACKWARD) < 0) return false;
  decoder_->Restart();
  fifo_.clear();
  ended_ = false;
  afterSeek_ = true;
  if (!DecodeMore(0)) return false;
  return fifoStart_ <= first && frame_->best_effort_timestamp != AV_NOPTS_VALUE;
}

void SoundReader::Rewind() {
  // Opened afresh, the positions are counted exactly from sample 0 again.
  fifo_.clear();
  fifoStart_ = 0;
  afterSeek_ = false;
  MediaSource fresh;
  ended_ = OpenMediaSource(path_, AVMEDIA_TYPE_AUDIO, fresh) != ErrorKind::kNone || !fresh.codec;
  if (!ended_) Attach(std::move(fresh));
}

void SoundReader::Attach(MediaSource source) {
  decoder_.reset();
  source_ = std::move(source);
  if (source_.codec) {
    decoder_ = std::make_unique<PacketDecoder>(source_.format.get(), source_.codec.get(), source_.stream);
  }
}

}  // namespace mcl
