#include "media/mcl/SoundReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace mcl {
namespace {

bool IsEightBit(AVSampleFormat format) { return format == AV_SAMPLE_FMT_U8 || format == AV_SAMPLE_FMT_U8P; }

// Times that stray this little from the samples already counted are taken as
// the count's rounding, not as a gap or an overlap.
constexpr double kSlackSeconds = 0.002;

}  // namespace

std::unique_ptr<SoundReader> SoundReader::Open(const SourceFiles& files, double startSeconds, ErrorKind& kind) {
  MediaSource source;
  kind = OpenMediaSource(files, AVMEDIA_TYPE_AUDIO, source);
  if (kind != ErrorKind::kNone) return nullptr;
  return std::unique_ptr<SoundReader>(new SoundReader(files, startSeconds, std::move(source)));
}

SoundReader::SoundReader(SourceFiles files, double startSeconds, MediaSource source)
    : files_(std::move(files)), startSeconds_(startSeconds), frame_(av_frame_alloc()) {
  Attach(std::move(source));
  if (!decoder_) {
    ended_ = true;
    decodedAny_ = true;  // no sound track: nothing to fail
    return;
  }
  channels_ = source_.codec->ch_layout.nb_channels == 1 ? 1 : 2;  // more are mixed down to stereo
  format_ = IsEightBit(source_.codec->sample_fmt) ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16;
  rate_ = source_.codec->sample_rate;
  if (!frame_ || rate_ <= 0) ended_ = true;
}

bool SoundReader::Read(std::int64_t first, std::int32_t count, std::vector<std::uint8_t>& out) {
  out.clear();
  if (first < 0 || count <= 0 || !decoder_) return true;
  if (first < fifoStart_) Reposition(first);
  if (first > fifoStart_) DropFront(std::min(first, FifoEnd()) - fifoStart_);
  while (FifoEnd() < first + count && DecodeMore(first)) {
  }
  if (!decodedAny_ && ended_) return false;
  if (first < fifoStart_ || first >= FifoEnd()) return true;
  const std::int64_t available = std::min<std::int64_t>(count, FifoEnd() - first);
  const auto begin =
      fifo_.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(first - fifoStart_) * FrameBytes());
  out.assign(begin, begin + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(available) * FrameBytes()));
  return true;
}

std::int64_t SoundReader::FifoEnd() const {
  return fifoStart_ + static_cast<std::int64_t>(fifo_.size() / FrameBytes());
}

std::int64_t SoundReader::PositionOf(std::int64_t ts) const {
  return std::llround((static_cast<double>(ts) * av_q2d(source_.Stream()->time_base) - startSeconds_) * rate_);
}

bool SoundReader::DecodeMore(std::int64_t keepFrom) {
  if (ended_) return false;
  if (decoder_->Next(frame_.get()) != DecodeStatus::kFrame) {
    ended_ = true;
    return false;
  }
  decodedAny_ = true;
  const std::int64_t ts = frame_->best_effort_timestamp;
  if (ts != AV_NOPTS_VALUE) Place(PositionOf(ts), keepFrom);
  fromStart_ = afterSeek_ = false;
  if (FifoEnd() < keepFrom) {  // skipping ahead: keep only what a read can use
    fifoStart_ = FifoEnd();
    fifo_.clear();
  }
  const bool converted = Convert(*frame_);
  // Sound before the first picture is not part of the movie.
  if (fifoStart_ < 0) DropFront(std::min(-fifoStart_, FifoEnd() - fifoStart_));
  return converted;
}

// Puts the frame starting at position at where it belongs: after a seek
// exactly there; at the start after silence; later frames after silence
// for a gap, or over the samples they overlap.
void SoundReader::Place(std::int64_t at, std::int64_t keepFrom) {
  const auto slack = static_cast<std::int64_t>(std::ceil(kSlackSeconds * rate_));
  if (afterSeek_ || (fromStart_ && at < 0)) {
    fifo_.clear();
    fifoStart_ = at;
  } else if (at > FifoEnd() + (fromStart_ ? 0 : slack)) {
    FillSilenceTo(at, keepFrom);
  } else if (at < FifoEnd() - slack) {
    // Overlapping sound: the later frame wins from its start on.
    const std::int64_t cut = std::max(at, fifoStart_);
    fifo_.resize(static_cast<std::size_t>(cut - fifoStart_) * FrameBytes());
    if (at < fifoStart_) fifoStart_ = at;
  }
}

void SoundReader::FillSilenceTo(std::int64_t at, std::int64_t keepFrom) {
  if (FifoEnd() < keepFrom) {
    fifo_.clear();
    fifoStart_ = std::min(at, keepFrom);
  }
  const std::uint8_t silence = format_ == AV_SAMPLE_FMT_U8 ? 128 : 0;
  fifo_.resize(fifo_.size() + static_cast<std::size_t>(at - FifoEnd()) * FrameBytes(), silence);
}

void SoundReader::DropFront(std::int64_t frames) {
  if (frames <= 0) return;
  fifo_.erase(fifo_.begin(),
              fifo_.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(frames) * FrameBytes()));
  fifoStart_ += frames;
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
  // A second early, so that a seek that lands a little late still lands before.
  const double seconds = startSeconds_ + static_cast<double>(std::max<std::int64_t>(0, first - rate_)) / rate_;
  const auto target = static_cast<std::int64_t>(std::floor(seconds / av_q2d(source_.Stream()->time_base)));
  if (av_seek_frame(source_.format.get(), source_.stream, target, AVSEEK_FLAG_BACKWARD) < 0) return false;
  decoder_->Restart();
  fifo_.clear();
  ended_ = false;
  afterSeek_ = true;
  if (!DecodeMore(0)) return false;
  return fifoStart_ <= first && frame_->best_effort_timestamp != AV_NOPTS_VALUE;
}

void SoundReader::Rewind() {
  fifo_.clear();
  fifoStart_ = 0;
  fromStart_ = true;
  afterSeek_ = false;
  MediaSource fresh;
  ended_ = OpenMediaSource(files_, AVMEDIA_TYPE_AUDIO, fresh) != ErrorKind::kNone || !fresh.codec;
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
