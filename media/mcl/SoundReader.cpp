#include "media/mcl/SoundReader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace mcl {
namespace {

bool IsEightBit(AVSampleFormat format) { return format == AV_SAMPLE_FMT_U8 || format == AV_SAMPLE_FMT_U8P; }

// Times that stray this little from the samples already counted are taken as
// the count's rounding, not as a gap or an overlap.
constexpr double kSlackSeconds = 0.002;
// A gap or overlap longer than this is a broken or wrapped time stamp, not
// sound that is missing: filling it would be hours of silence.
constexpr double kLongestGapSeconds = 10;

// DVD title parts, by their names.
bool AreVobFiles(const SourceFiles& files) {
  return std::all_of(files.begin(), files.end(),
                     [](const std::string& path) { return LowerCaseExtension(path) == ".vob"; });
}

}  // namespace

std::unique_ptr<SoundReader> SoundReader::Open(const SourceFiles& files, double startSeconds,
                                               const SoundOutput& output, ErrorKind& kind) {
  MediaSource source;
  kind = OpenMediaSource(files, AVMEDIA_TYPE_AUDIO, source);
  if (kind != ErrorKind::kNone) return nullptr;
  return std::unique_ptr<SoundReader>(new SoundReader(files, startSeconds, output, std::move(source)));
}

SoundReader::SoundReader(SourceFiles files, double startSeconds, const SoundOutput& output, MediaSource source)
    : files_(std::move(files)), startSeconds_(startSeconds), frame_(av_frame_alloc()) {
  cutAtSectors_ = AreVobFiles(files_);
  Attach(std::move(source));
  if (output.halfRate > 0) {
    channels_ = output.channels == 1 ? 1 : 2;
    halfRate_ = output.halfRate;
  }
  if (!decoder_) {
    ended_ = true;
    decodedAny_ = true;  // no sound track: nothing to fail
    return;
  }
  if (output.halfRate <= 0) {
    channels_ = source_.codec->ch_layout.nb_channels == 1 ? 1 : 2;  // more are mixed down to stereo
    format_ = IsEightBit(source_.codec->sample_fmt) ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16;
    halfRate_ = 2 * static_cast<std::int64_t>(source_.codec->sample_rate);
  }
  if (!frame_ || halfRate_ <= 0) ended_ = true;
}

bool SoundReader::Read(std::int64_t first, std::int32_t count, std::vector<std::uint8_t>& out) {
  out.clear();
  if (first < 0 || count <= 0 || !decoder_) return true;
  if (first < fifoStart_) Reposition(first);
  if (first > fifoStart_) DropFront(std::min(first, FifoEnd()) - fifoStart_);
  while (FifoEnd() < first + count && ProduceMore(first + count, first)) {
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

// Where the next frame's sound belongs if nothing is missing: after the
// samples out and those the resampler still holds.
std::int64_t SoundReader::Expected() const {
  if (fromStart_) return 0;
  const std::int64_t held = resampler_ ? swr_get_delay(resampler_.get(), halfRate_) : 0;
  return FifoEnd() + held;
}

std::int64_t SoundReader::PositionOf(std::int64_t ts) const {
  const double seconds = static_cast<double>(ts) * av_q2d(source_.Stream()->time_base) - startSeconds_;
  const double position = std::round(seconds * Rate());
  // Times beyond any file's length are as broken as a jump.
  if (!(std::fabs(position) < 1e15)) return kUnplaced;
  return static_cast<std::int64_t>(position) + shift_;
}

bool SoundReader::ProduceMore(std::int64_t wantedEnd, std::int64_t keepFrom) {
  if (gapEnd_ != kUnplaced) return FillGap(wantedEnd, keepFrom);
  return DecodeMore(keepFrom);
}

bool SoundReader::DecodeMore(std::int64_t keepFrom) {
  if (ended_) return false;
  const DecodeStatus status = decoder_->Next(frame_.get());
  NoteErrors(status == DecodeStatus::kFrame);
  if (status != DecodeStatus::kFrame) {
    ended_ = true;
    return Convert(nullptr);  // the resampler's last samples
  }
  decodedAny_ = true;
  const std::int64_t ts = frame_->best_effort_timestamp;
  if (ts != AV_NOPTS_VALUE) Place(PositionOf(ts));
  fromStart_ = afterSeek_ = false;
  if (gapEnd_ != kUnplaced) return true;  // the frame waits behind its silence
  return ConvertHeld(keepFrom);
}

// Errors in a frame are damage once a frame after it decodes, and at the end
// of the sound. Those in the first frame after a seek are where the seek
// landed; a DVD's VOB files are cut at sectors, inside sound frames, so in
// their first and last frames they are where the title was split.
void SoundReader::NoteErrors(bool decoded) {
  errorsSoFar_ += decoder_->RejectedSinceLastFrame();
  const int errors = loggedErrors_.Count() + errorsSoFar_;
  const bool more = errors != errorsAtLastFrame_;
  errorsAtLastFrame_ = errors;
  if (!decoded) {
    if ((errorsInLastFrame_ || more) && !cutAtSectors_) damaged_ = true;
    errorsInLastFrame_ = false;
    return;
  }
  if (errorsInLastFrame_) damaged_ = true;
  errorsInLastFrame_ = more && !std::exchange(firstFrameSpared_, false);
}

void SoundReader::StartCounting(bool spareFirstFrame) {
  errorsAtLastFrame_ = loggedErrors_.Count() + errorsSoFar_;
  errorsInLastFrame_ = false;
  firstFrameSpared_ = spareFirstFrame;
}

bool SoundReader::ConvertHeld(std::int64_t keepFrom) {
  if (FifoEnd() < keepFrom) {  // skipping ahead: keep only what a read can use
    fifoStart_ = FifoEnd();
    fifo_.clear();
  }
  const bool converted = Convert(frame_.get());
  // Sound before the first picture is not part of the movie.
  if (fifoStart_ < 0) DropFront(std::min(-fifoStart_, FifoEnd() - fifoStart_));
  return converted;
}

// Silence up to the waiting frame's place, made only as far as the read
// needs it, so a long gap never sits in memory whole; then the frame.
bool SoundReader::FillGap(std::int64_t wantedEnd, std::int64_t keepFrom) {
  AppendSilence(std::min(gapEnd_, wantedEnd), keepFrom);
  if (FifoEnd() < gapEnd_) return true;
  gapEnd_ = kUnplaced;
  return ConvertHeld(keepFrom);
}

// Decides where the frame starting at position at goes: after a seek exactly
// there; at the start after silence; later frames after silence for a gap,
// or over the samples they overlap. A jump beyond any plausible gap moves
// the clock instead, so the sound goes on where it was expected.
void SoundReader::Place(std::int64_t at) {
  if (afterSeek_) {
    resampler_.reset();
    fifo_.clear();
    fifoStart_ = at;
    return;
  }
  const std::int64_t expected = Expected();
  const double longest = kLongestGapSeconds * Rate();
  if (at == kUnplaced || std::fabs(static_cast<double>(at - expected)) > longest) {
    if (at != kUnplaced) shift_ += expected - at;
    at = expected;
    jumped_ = true;
  }
  const auto slack = static_cast<std::int64_t>(std::ceil(kSlackSeconds * Rate()));
  if (fromStart_ && at < 0) {
    fifo_.clear();
    fifoStart_ = at;
  } else if (at > expected + (fromStart_ ? 0 : slack)) {
    Convert(nullptr);  // what the resampler holds goes before the silence
    resampler_.reset();
    gapEnd_ = at;
  } else if (at < expected - slack) {
    // Overlapping sound: the later frame wins from its start on.
    resampler_.reset();
    const std::int64_t cut = std::max(at, fifoStart_);
    fifo_.resize(static_cast<std::size_t>(std::min(cut, FifoEnd()) - fifoStart_) * FrameBytes());
    if (at < fifoStart_) fifoStart_ = at;
  }
}

void SoundReader::AppendSilence(std::int64_t to, std::int64_t keepFrom) {
  if (FifoEnd() < keepFrom) {
    fifo_.clear();
    fifoStart_ = std::min(to, keepFrom);
  }
  if (to <= FifoEnd()) return;
  const std::uint8_t silence = format_ == AV_SAMPLE_FMT_U8 ? 128 : 0;
  fifo_.resize(fifo_.size() + static_cast<std::size_t>(to - FifoEnd()) * FrameBytes(), silence);
}

void SoundReader::DropFront(std::int64_t frames) {
  if (frames <= 0) return;
  fifo_.erase(fifo_.begin(),
              fifo_.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(frames) * FrameBytes()));
  fifoStart_ += frames;
}

// Appends the frame's samples in the delivered format; a null frame drains
// what the resampler holds back.
bool SoundReader::Convert(const AVFrame* frame) {
  if (frame == nullptr && !resampler_) return false;
  if (frame != nullptr && !ConfigureResampler(*frame)) {
    ended_ = true;
    return false;
  }
  const int inSamples = frame ? frame->nb_samples : 0;
  const int room = swr_get_out_samples(resampler_.get(), inSamples);
  const std::size_t oldSize = fifo_.size();
  fifo_.resize(oldSize + static_cast<std::size_t>(std::max(room, 0)) * FrameBytes());
  std::uint8_t* outPlane = fifo_.data() + oldSize;
  const auto** in = frame ? const_cast<const std::uint8_t**>(frame->extended_data) : nullptr;
  const int converted = swr_convert(resampler_.get(), &outPlane, room, in, inSamples);
  fifo_.resize(oldSize + static_cast<std::size_t>(std::max(converted, 0)) * FrameBytes());
  return frame != nullptr || converted > 0;
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
  if (resampler_) Convert(nullptr);  // the old format's last samples first
  av_channel_layout_uninit(&resamplerInput_);
  resamplerInput_ = input;
  resamplerFormat_ = frame.format;
  resamplerRate_ = frame.sample_rate;
  AVChannelLayout output{};
  av_channel_layout_default(&output, channels_);
  // Both rates doubled: the ratio is exact for the half-integer rate.
  SwrContext* raw = nullptr;
  const int made = swr_alloc_set_opts2(&raw, &output, format_, static_cast<int>(halfRate_), &input,
                                       static_cast<AVSampleFormat>(frame.format), 2 * frame.sample_rate, 0, nullptr);
  resampler_.reset(raw);
  return made >= 0 && frame.sample_rate > 0 && swr_init(raw) >= 0;
}

void SoundReader::Reposition(std::int64_t first) {
  gapEnd_ = kUnplaced;
  if (!SeekBefore(first)) Rewind();
}

bool SoundReader::SeekBefore(std::int64_t first) {
  // A second early, so that a seek that lands a little late still lands before.
  const double seconds = startSeconds_ + std::max(0.0, static_cast<double>(first - shift_) - Rate()) / Rate();
  const auto target = static_cast<std::int64_t>(std::floor(seconds / av_q2d(source_.Stream()->time_base)));
  if (av_seek_frame(source_.format.get(), source_.stream, target, AVSEEK_FLAG_BACKWARD) < 0) return false;
  decoder_->Restart();
  fifo_.clear();
  ended_ = false;
  afterSeek_ = true;
  StartCounting(true);
  if (!DecodeMore(0)) return false;
  return fifoStart_ <= first && frame_->best_effort_timestamp != AV_NOPTS_VALUE;
}

void SoundReader::Rewind() {
  fifo_.clear();
  fifoStart_ = 0;
  shift_ = 0;
  gapEnd_ = kUnplaced;
  resampler_.reset();
  fromStart_ = true;
  afterSeek_ = false;
  MediaSource fresh;
  ended_ = OpenMediaSource(files_, AVMEDIA_TYPE_AUDIO, fresh) != ErrorKind::kNone || !fresh.codec;
  if (!ended_) Attach(std::move(fresh));
}

void SoundReader::Attach(MediaSource source) {
  decoder_.reset();
  source_ = std::move(source);
  source_.CountErrorsIn(loggedErrors_);
  StartCounting(cutAtSectors_);
  if (source_.codec) {
    decoder_ = std::make_unique<PacketDecoder>(source_.format.get(), source_.codec.get(), source_.stream);
  }
}

}  // namespace mcl
