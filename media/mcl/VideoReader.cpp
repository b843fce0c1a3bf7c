#include "media/mcl/VideoReader.h"

#include <algorithm>
#include <cmath>

namespace mcl {
namespace {

constexpr int kFarJump = 250;  // frames ahead past which a seek beats decoding on
constexpr int kSeekAttempts = 4;

AVRational StreamRate(const AVStream* stream) {
  if (stream->avg_frame_rate.num > 0 && stream->avg_frame_rate.den > 0) return stream->avg_frame_rate;
  if (stream->r_frame_rate.num > 0 && stream->r_frame_rate.den > 0) return stream->r_frame_rate;
  return {25, 1};
}

}  // namespace

std::unique_ptr<VideoReader> VideoReader::Open(const std::string& path, ErrorKind& kind) {
  MediaSource source;
  kind = OpenMediaSource(path, AVMEDIA_TYPE_VIDEO, source);
  if (kind != ErrorKind::kNone) return nullptr;
  std::unique_ptr<VideoReader> reader(new VideoReader(path, std::move(source)));
  if (!reader->current_ || !reader->decoder_) kind = ErrorKind::kOutOfMemory;
  return kind == ErrorKind::kNone ? std::move(reader) : nullptr;
}

VideoReader::VideoReader(std::string path, MediaSource source)
    : path_(std::move(path)),
      source_(std::move(source)),
      decoder_(std::make_unique<PacketDecoder>(source_.format.get(), source_.codec.get(), source_.stream)),
      current_(av_frame_alloc()),
      rate_(StreamRate(source_.Stream())) {}

ReadStatus VideoReader::ReadFrame(int index) {
  if (index < 0 || (endIndex_ >= 0 && index >= endIndex_)) return ReadStatus::kPastEnd;
  if (currentIndex_ < 0) {
    const ReadStatus first = DecodeOne();
    if (first != ReadStatus::kOk) return first;
  }
  if (index < currentIndex_ || index - currentIndex_ > JumpLimit()) {
    if (!SeekBefore(index) && !Rewind()) return ReadStatus::kError;
  }
  while (currentIndex_ < index) {
    const ReadStatus status = DecodeOne();
    if (status != ReadStatus::kOk) return status;
  }
  return ReadStatus::kOk;
}

ReadStatus VideoReader::DecodeOne() {
  for (;;) {
    const DecodeStatus status = decoder_->Next(current_.get());
    if (status == DecodeStatus::kEnd) {
      if (!afterSeek_ && currentIndex_ != kNoFrame) endIndex_ = currentIndex_ + 1;
      currentIndex_ = kNoFrame;
      return ReadStatus::kPastEnd;
    }
    if (status == DecodeStatus::kError) {
      currentIndex_ = kNoFrame;
      return ReadStatus::kError;
    }
    const int index = IndexOfCurrent(current_->best_effort_timestamp);
    if (index < 0) continue;  // a leading picture of an open GOP: its references are gone
    NoteKeyFrame(index);
    currentIndex_ = index;
    return ReadStatus::kOk;
  }
}

int VideoReader::IndexOfCurrent(std::int64_t ts) {
  if (currentIndex_ < 0) {
    firstTs_ = ts;
    return 0;
  }
  if (!afterSeek_) return currentIndex_ + 1;
  const std::int64_t restart = decoder_->RestartPts();
  if (ts == AV_NOPTS_VALUE || (restart != AV_NOPTS_VALUE && ts < restart)) return -1;
  afterSeek_ = false;
  const double frames = static_cast<double>(ts - firstTs_) * av_q2d(source_.Stream()->time_base) * av_q2d(rate_);
  return std::max(0, static_cast<int>(std::lround(frames)));
}

bool VideoReader::SeekBefore(int index) {
  if (firstTs_ == AV_NOPTS_VALUE) return false;
  int back = 3;  // key frames are filed by decoding time, which runs a few frames ahead
  for (int attempt = 0; attempt < kSeekAttempts; ++attempt) {
    const std::int64_t target = TimestampOf(std::max(0, index - back));
    if (av_seek_frame(source_.format.get(), source_.stream, target, AVSEEK_FLAG_BACKWARD) < 0) return false;
    decoder_->Restart();
    afterSeek_ = true;
    lastKeyIndex_ = -1;
    endIndex_ = -1;
    currentIndex_ = kNoFrame - 1;  // not "before the first frame": the index comes from the timestamp
    if (DecodeOne() == ReadStatus::kOk && currentIndex_ <= index) return true;
    back = std::max(2 * back, std::max(gop_, 12) + 1);
  }
  afterSeek_ = false;
  return false;
}

bool VideoReader::Rewind() {
  MediaSource fresh;
  if (OpenMediaSource(path_, AVMEDIA_TYPE_VIDEO, fresh) != ErrorKind::kNone) return false;
  auto decoder = std::make_unique<PacketDecoder>(fresh.format.get(), fresh.codec.get(), fresh.stream);
  decoder_ = std::move(decoder);
  source_ = std::move(fresh);
  currentIndex_ = -1;
  lastKeyIndex_ = -1;
  afterSeek_ = false;
  return DecodeOne() == ReadStatus::kOk;
}

int VideoReader::JumpLimit() const { return gop_ > 0 ? std::clamp(2 * gop_, 16, kFarJump) : kFarJump; }

void VideoReader::NoteKeyFrame(int index) {
  if (current_->pict_type != AV_PICTURE_TYPE_I) return;
  if (lastKeyIndex_ >= 0 && index > lastKeyIndex_) gop_ = std::max(gop_, index - lastKeyIndex_);
  lastKeyIndex_ = index;
}

std::int64_t VideoReader::TimestampOf(int index) const {
  return firstTs_ + av_rescale_q(index, av_inv_q(rate_), source_.Stream()->time_base);
}

}  // namespace mcl
