#include "media/mcl/VideoReader.h"

#include <sys/stat.h>

#include <algorithm>
#include <utility>

#include "media/mcl/Clock.h"
#include "media/mcl/FileInfo.h"

namespace mcl {
namespace {

constexpr int kFarJump = 250;  // frames ahead past which a seek beats decoding on
constexpr int kSeekAttempts = 4;

// The bytes of all parts, or -1 when one cannot be seen.
std::int64_t FileSize(const SourceFiles& files) {
  std::int64_t total = 0;
  for (const std::string& path : files) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return -1;
    total += static_cast<std::int64_t>(status.st_size);
  }
  return total;
}

bool DecodedWithErrors(const AVFrame& picture) {
  return picture.decode_error_flags != 0 || (picture.flags & AV_FRAME_FLAG_CORRUPT) != 0;
}

}  // namespace

std::unique_ptr<VideoReader> VideoReader::Open(const SourceFiles& files, int flags, ErrorKind& kind) {
  MediaSource source;
  kind = OpenMediaSource(files, AVMEDIA_TYPE_VIDEO, source);
  if (kind != ErrorKind::kNone) return nullptr;
  std::unique_ptr<VideoReader> reader(new VideoReader(files, std::move(source), DeinterlaceModeOf(flags)));
  if (!reader->current_ || !reader->ahead_ || !reader->decoder_) kind = ErrorKind::kOutOfMemory;
  if (kind != ErrorKind::kNone) return nullptr;
  reader->sizeAtOpen_ = FileSize(files);
  const AVFormatContext* format = reader->decoder_->Format();
  if (ClockIsMended(format)) {
    reader->clock_.emplace(reader->decoder_->Stream()->time_base, reader->rate_);
    // The file information, where it was read, has said where the clock breaks.
    const std::optional<bool> remembered =
        files.size() == 1 ? RememberedClockBroken(files.front()) : std::optional<bool>();
    reader->clockBroken_ = remembered ? *remembered : ClockBreaksIn(files);
    reader->clockJumpNoted_ = remembered.has_value();
    // The plan foresees slots by the packets' own times, which mending moves.
    if (reader->clockBroken_) reader->plan_.TurnOff();
  }
  if (!reader->Start()) kind = ErrorKind::kNoPicture;
  return kind == ErrorKind::kNone ? std::move(reader) : nullptr;
}

VideoReader::VideoReader(SourceFiles files, MediaSource source, DeinterlaceMode deinterlace)
    : files_(std::move(files)),
      deinterlace_(deinterlace),
      decoder_(NewDecoder(std::move(source))),
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
  if (clock_) clock_.emplace(decoder_->Stream()->time_base, rate_);
  const std::int64_t ts = Mended(current_->best_effort_timestamp);
  if (firstTs_ == AV_NOPTS_VALUE) {
    firstTs_ = ts == AV_NOPTS_VALUE ? 0 : ts;
    firstPts_ = current_->pts;
    plan_.SetClock(firstTs_, decoder_->Stream()->time_base, rate_);
  }
  currentSlot_ = ts == AV_NOPTS_VALUE ? 0 : SlotOf(ts);
  haveAhead_ = ended_ = stoppedEarly_ = afterSeek_ = false;
  NoteKeyFrame(*current_, currentSlot_);
  NoteDamage(*current_, currentSlot_, NewLoggedErrors());
  return true;
}

ReadStatus VideoReader::ReadFrame(int index) {
  if (index < 0) return ReadStatus::kPastEnd;
  if (endSlot_ >= 0 && index >= endSlot_) return stoppedEarly_ ? ReadStatus::kError : ReadStatus::kPastEnd;
  // Its picture may have been left out: read again from the key frame before.
  const bool stray = plan_.Strays(index) && index > currentSlot_;
  // Slots before a picture already decoded show the current one: no seek.
  const bool farAhead = index - currentSlot_ > JumpLimit() && !(haveAhead_ && aheadSlot_ > index);
  if ((stray || index < currentSlot_ || farAhead) && !MoveTo(index)) return ReadStatus::kError;
  plan_.ForgetBefore(index);
  while (FillAhead() && aheadSlot_ <= index) {
    TakeAhead();
  }
  if (ended_ && index > currentSlot_) return stoppedEarly_ ? ReadStatus::kError : ReadStatus::kPastEnd;
  return ReadStatus::kOk;
}

// The picture decoded ahead becomes the current one.
void VideoReader::TakeAhead() {
  std::swap(current_, ahead_);
  currentSlot_ = aheadSlot_;
  haveAhead_ = false;
}

void VideoReader::ReadToEnd() {
  plan_.TurnOff();
  for (int read = 0; read < kFarJump && FillAhead(); ++read) {
    TakeAhead();
  }
}

// Where the clock breaks, a time names no single place in the file: the
// pictures are read on from the start or from where they are.
bool VideoReader::MoveTo(int index) {
  if (clockBroken_) return index > currentSlot_ || Rewind();
  return SeekBefore(index) || Rewind();
}

int VideoReader::ReportFailure() const {
  const ErrorKind kind = shrunk_ ? ErrorKind::kShrunk : ErrorKind::kCorrupt;
  if (shrunk_) {
    SetDamage(kind, Path(), SecondsOf(currentSlot_ + 1));
  } else {
    SetError(kind, Path());
  }
  return static_cast<int>(kind);
}

// Decodes the picture after the current one into ahead_, unless one waits there
// or the stream has ended.
bool VideoReader::FillAhead() {
  if (haveAhead_) return true;
  if (ended_) return false;
  for (;;) {
    const DecodeStatus status = decoder_->Next(ahead_.get());
    if (status != DecodeStatus::kFrame) {
      NoteEnd(status);
      return false;
    }
    if (TakeDecoded()) return true;
  }
}

// False for a leading picture of an open GOP after a seek: its references are gone.
bool VideoReader::TakeDecoded() {
  const std::int64_t raw = ahead_->best_effort_timestamp;
  const bool seeking = afterSeek_;
  if (afterSeek_) {
    const std::int64_t restart = decoder_->RestartPts();
    if (raw == AV_NOPTS_VALUE || (restart != AV_NOPTS_VALUE && raw < restart)) return false;
    afterSeek_ = false;
  }
  const std::int64_t ts = Mended(raw);
  CheckPlanClock(*ahead_, ts);
  // Times going backwards or missing count as the next slot's picture at most.
  aheadSlot_ = ts == AV_NOPTS_VALUE ? currentSlot_ + 1 : std::max(currentSlot_, SlotOf(ts));
  haveAhead_ = true;
  NoteKeyFrame(*ahead_, aheadSlot_);
  // Errors while the decoder finds its feet again after a seek are not damage.
  const bool logged = NewLoggedErrors();
  if (!seeking) NoteDamage(*ahead_, aheadSlot_, logged);
  return true;
}

void VideoReader::NoteEnd(DecodeStatus status) {
  ended_ = true;
  stoppedEarly_ = status == DecodeStatus::kError || decoder_->RejectedSinceLastFrame() > 0;
  // A file cut while it is read ends early however cleanly its last picture decodes.
  if (sizeAtOpen_ >= 0 && FileSize(files_) < sizeAtOpen_) shrunk_ = stoppedEarly_ = true;
  if (!afterSeek_) endSlot_ = currentSlot_ + 1;
  // The last packets may not decode, though every picture let out did.
  if (NewLoggedErrors() && !afterSeek_ && !damageNoted_) {
    damageNoted_ = true;
    SetDamage(ErrorKind::kDamagedPictures, Path(), SecondsOf(currentSlot_ + 1));
  }
}

// The first broken time and the first picture decoded with errors are said
// once each, where they are; the pictures go on.
void VideoReader::NoteDamage(const AVFrame& picture, int slot, bool loggedErrors) {
  // The demuxer read on past damaged headers; what they said may be lost.
  if (headersDamaged_ && !damageNoted_) {
    damageNoted_ = true;
    SetDamage(ErrorKind::kDamagedHeaders, Path(), 0);
  }
  if (clock_ && clock_->Broken() && !clockJumpNoted_) {
    clockJumpNoted_ = true;
    SetDamage(ErrorKind::kClockJump, Path(),
              static_cast<double>(clock_->FirstBreakAt() - firstTs_) * av_q2d(decoder_->Stream()->time_base));
  }
  if (!damageNoted_ && (loggedErrors || decoder_->RejectedSinceLastFrame() > 0 || DecodedWithErrors(picture))) {
    damageNoted_ = true;
    SetDamage(ErrorKind::kDamagedPictures, Path(), SecondsOf(slot));
  }
}

std::int64_t VideoReader::Mended(std::int64_t ts) { return clock_ && ts != AV_NOPTS_VALUE ? clock_->Mend(ts) : ts; }

double VideoReader::SecondsOf(int slot) const { return std::max(0, slot) / av_q2d(rate_); }

int VideoReader::SlotOf(std::int64_t ts) const {
  return SlotOfTimestamp(ts, firstTs_, decoder_->Stream()->time_base, rate_);
}

// Pictures are left out by the times of their packets: where the pictures'
// times are missing, differ from their packets', go backwards or are mended,
// the slots cannot be foreseen.
void VideoReader::CheckPlanClock(const AVFrame& picture, std::int64_t mended) {
  const std::int64_t ts = picture.best_effort_timestamp;
  const bool timeOfItsOwn = picture.pts != AV_NOPTS_VALUE ? ts == picture.pts : DecodingTimeStaysPut();
  if (ts == AV_NOPTS_VALUE || mended != ts || !timeOfItsOwn || SlotOf(ts) < currentSlot_) plan_.TurnOff();
}

// A picture without a time of its own has the decoding time of the packet
// that let it out. MPEG-1, 2 and 4 let a B-frame out as it is decoded and the
// others when the next picture that is not a B-frame is decoded, which is never
// left out; other decoders may let a picture out at a packet that is.
bool VideoReader::DecodingTimeStaysPut() const {
  const AVCodecID codec = decoder_->Stream()->codecpar->codec_id;
  return codec == AV_CODEC_ID_MPEG1VIDEO || codec == AV_CODEC_ID_MPEG2VIDEO || codec == AV_CODEC_ID_MPEG4;
}

bool VideoReader::SeekBefore(int index) {
  int back = 3;  // key frames are filed by decoding time, which runs a few frames ahead
  for (int attempt = 0; attempt < kSeekAttempts; ++attempt) {
    const std::int64_t target = TimestampOf(std::max(0, index - back));
    if (!decoder_->SeekBefore(target)) return false;
    afterSeek_ = true;
    if (clock_) clock_->Restart();
    haveAhead_ = ended_ = stoppedEarly_ = false;
    lastKeySlot_ = -1;
    currentSlot_ = -1;
    if (FillAhead() && aheadSlot_ <= index) {
      TakeAhead();
      return true;
    }
    back = std::max(2 * back, std::max(gop_, 12) + 1);
  }
  return false;
}

std::unique_ptr<AheadDecoder> VideoReader::NewDecoder(MediaSource source) {
  source.CountErrorsIn(loggedErrors_);
  headersDamaged_ = headersDamaged_ || source.openingErrors > 0;
  return std::make_unique<AheadDecoder>(std::move(source), deinterlace_, &plan_);
}

// Errors the source logged while the picture last taken was decoded, or
// since the one before.
bool VideoReader::NewLoggedErrors() {
  const int seen = decoder_->LoggedErrorsSoFar();
  return std::exchange(loggedErrorsSeen_, seen) != seen;
}

bool VideoReader::Rewind() {
  MediaSource fresh;
  if (OpenMediaSource(files_, AVMEDIA_TYPE_VIDEO, fresh) != ErrorKind::kNone) return false;
  decoder_ = NewDecoder(std::move(fresh));
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
