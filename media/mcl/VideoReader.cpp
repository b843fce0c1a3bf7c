#include "media/mcl/VideoReader.h"

#include <algorithm>

#include "media/mcl/Clock.h"

namespace mcl {
namespace {

constexpr int kFarJump = 250;  // frames ahead past which a seek beats decoding on
constexpr int kSeekAttempts = 4;

}  // namespace

std::unique_ptr<VideoReader> VideoReader::Open(const SourceFiles& files, int flags, ErrorKind& kind) {
  MediaSource source;
  kind = OpenMediaSource(files, AVMEDIA_TYPE_VIDEO, source);
  if (kind != ErrorKind::kNone) return nullptr;
  std::unique_ptr<VideoReader> reader(new VideoReader(files, std::move(source), DeinterlaceModeOf(flags)));
  if (!reader->current_ || !reader->ahead_ || !reader->decoder_) kind = ErrorKind::kOutOfMemory;
  if (kind == ErrorKind::kNone && !reader->Start()) kind = ErrorKind::kNoPicture;
  return kind == ErrorKind::kNone ? std::move(reader) : nullptr;
}

VideoReader::VideoReader(SourceFiles files, MediaSource source, DeinterlaceMode deinterlace)
    : files_(std::move(files)),
      deinterlace_(deinterlace),
      decoder_(std::make_unique<AheadDecoder>(std::move(source), deinterlace)),
      current_(av_frame_alloc()),
      ahead_(av_frame_alloc()),
      rate_(StreamRate(decoder_->Stream())) {}

double VideoReader::StartSeconds() const {
  // The first picture's own time where it carries one: pictures before it
  // that cannot be decoded (a DVD part cut inside a group of pictures) are
  // not shown, so neither is their sound. Otherwise the stream's start, where
  // the container records it: AVI gives pictures of streams with B-frames the
  // time of their decoding, a frame late.
  const std::int64_t opened = decoder_->OpenedStartTime();
  const std::int64_t start = firstPts_ != AV_NOPTS_VALUE ? firstPts_ : opened != AV_NOPTS_VALUE ? opened : firstTs_;
  return static_cast<double>(start) * av_q2d(decoder_->Stream()->time_base);
}

// The first picture sets the clock; a source without one is unreadable.
bool VideoReader::Start() {
  if (decoder_->Next(current_.get()) != DecodeStatus::kFrame) return false;
  const std::int64_t ts = current_->best_effort_timestamp;
  if (firstTs_ == AV_NOPTS_VALUE) {
    firstTs_ = ts == AV_NOPTS_VALUE ? 0 : ts;
    firstPts_ = current_->pts;
  }
  currentSlot_ = ts == AV_NOPTS_VALUE ? 0 : SlotOf(ts);
  haveAhead_ = ended_ = stoppedEarly_ = afterSeek_ = false;
  NoteKeyFrame(*current_, currentSlot_);
  return true;
}

ReadStatus VideoReader::ReadFrame(int index) {
  if (index < 0) return ReadStatus::kPastEnd;
  if (endSlot_ >= 0 && index >= endSlot_) return stoppedEarly_ ? ReadStatus::kError : ReadStatus::kPastEnd;
  if ((index < currentSlot_ || index - currentSlot_ > JumpLimit()) && !SeekBefore(index) && !Rewind()) {
    return ReadStatus::kError;
  }
  while (FillAhead() && aheadSlot_ <= index) {
    std::swap(current_, ahead_);
    currentSlot_ = aheadSlot_;
    haveAhead_ = false;
  }
  if (ended_ && index > currentSlot_) return stoppedEarly_ ? ReadStatus::kError : ReadStatus::kPastEnd;
  return ReadStatus::kOk;
}

// Decodes the picture after the current one into ahead_, unless one waits there
// or the stream has ended.
bool VideoReader::FillAhead() {
  if (haveAhead_) return true;
  if (ended_) return false;
  for (;;) {
    const DecodeStatus status = decoder_->Next(ahead_.get());
    if (status != DecodeStatus::kFrame) {
      ended_ = true;
      stoppedEarly_ = status == DecodeStatus::kError || decoder_->RejectedSinceLastFrame() > 0;
      if (!afterSeek_) endSlot_ = currentSlot_ + 1;
      return false;
    }
    const std::int64_t ts = ahead_->best_effort_timestamp;
    if (afterSeek_) {
      const std::int64_t restart = decoder_->RestartPts();
      // A leading picture of an open GOP: its references are gone.
      if (ts == AV_NOPTS_VALUE || (restart != AV_NOPTS_VALUE && ts < restart)) continue;
      afterSeek_ = false;
    }
    // Times going backwards or missing count as the next slot's picture at most.
    aheadSlot_ = ts == AV_NOPTS_VALUE ? currentSlot_ + 1 : std::max(currentSlot_, SlotOf(ts));
    haveAhead_ = true;
    NoteKeyFrame(*ahead_, aheadSlot_);
    return true;
  }
}

int VideoReader::SlotOf(std::int64_t ts) const {
  return SlotOfTime(static_cast<double>(ts - firstTs_) * av_q2d(decoder_->Stream()->time_base) * av_q2d(rate_));
}

bool VideoReader::SeekBefore(int index) {
  int back = 3;  // key frames are filed by decoding time, which runs a few frames ahead
  for (int attempt = 0; attempt < kSeekAttempts; ++attempt) {
    const std::int64_t target = TimestampOf(std::max(0, index - back));
    if (!decoder_->SeekBefore(target)) return false;
    afterSeek_ = true;
    haveAhead_ = ended_ = stoppedEarly_ = false;
    lastKeySlot_ = -1;
    currentSlot_ = -1;
    if (FillAhead() && aheadSlot_ <= index) {
      std::swap(current_, ahead_);
      currentSlot_ = aheadSlot_;
      haveAhead_ = false;
      return true;
    }
    back = std::max(2 * back, std::max(gop_, 12) + 1);
  }
  return false;
}

bool VideoReader::Rewind() {
  MediaSource fresh;
  if (OpenMediaSource(files_, AVMEDIA_TYPE_VIDEO, fresh) != ErrorKind::kNone) return false;
  decoder_ = std::make_unique<AheadDecoder>(std::move(fresh), deinterlace_);
  lastKeySlot_ = -1;
  return Start();
}

int VideoReader::JumpLimit() const { return gop_ > 0 ? std::clamp(2 * gop_, 16, kFarJump) : kFarJump; }

void VideoReader::NoteKeyFrame(const AVFrame& picture, int slot) {
  if (picture.pict_type != AV_PICTURE_TYPE_I) return;
  if (lastKeySlot_ >= 0 && slot > lastKeySlot_) gop_ = std::max(gop_, slot - lastKeySlot_);
  lastKeySlot_ = slot;
}

std::int64_t VideoReader::TimestampOf(int index) const {
  return firstTs_ + av_rescale_q(index, av_inv_q(rate_), decoder_->Stream()->time_base);
}

}  // namespace mcl
