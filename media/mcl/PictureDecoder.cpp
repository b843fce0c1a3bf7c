#include "media/mcl/PictureDecoder.h"

namespace mcl {
namespace {

int TopFirstOf(AVFieldOrder order) {
  switch (order) {
    case AV_FIELD_TT:
    case AV_FIELD_BT:  // bottom coded first, top shown first
      return 1;
    case AV_FIELD_BB:
    case AV_FIELD_TB:
      return 0;
    default:
      return -1;
  }
}

}  // namespace

PictureDecoder::PictureDecoder(MediaSource& source, DeinterlaceMode mode, FramePlan* plan)
    : decoder_(source, plan),
      mode_(mode),
      plan_(plan),
      timeBase_(source.Stream()->time_base),
      streamTopFirst_(TopFirstOf(source.Stream()->codecpar->field_order)),
      pending_(av_frame_alloc()) {
  if (plan_ != nullptr && !KeepsPlan(*source.Stream())) plan_->TurnOff();
}

// Decided before the first picture, so before anything could be left out:
// only where no picture can be deinterlaced. With marked pictures only, that
// is a stream the container calls progressive, or MPEG-1, which has no
// interlaced pictures. A stream called progressive that marks pictures later
// turns the plan off from the first of them on.
bool PictureDecoder::KeepsPlan(const AVStream& stream) const {
  switch (mode_) {
    case DeinterlaceMode::kNone:
      return true;
    case DeinterlaceMode::kAll:
      return false;
    case DeinterlaceMode::kMarked:
      break;
  }
  const AVCodecParameters& codec = *stream.codecpar;
  return codec.field_order == AV_FIELD_PROGRESSIVE || codec.codec_id == AV_CODEC_ID_MPEG1VIDEO;
}

// Marked pictures, and where the container calls the stream interlaced but
// the decoder marks none (raw and lossless codecs), every picture.
bool PictureDecoder::NeedsDeinterlacing(AVFrame& frame) {
  switch (mode_) {
    case DeinterlaceMode::kNone:
      return false;
    case DeinterlaceMode::kAll:
      MarkInterlaced(frame, streamTopFirst_);
      return true;
    case DeinterlaceMode::kMarked:
      if (MarkedInterlaced(frame)) {
        if (plan_ != nullptr) plan_->TurnOff();
        return decoderMarks_ = true;
      }
      if (streamTopFirst_ < 0 || decoderMarks_) return false;
      MarkInterlaced(frame, streamTopFirst_);
      return true;
  }
  return false;
}

DecodeStatus PictureDecoder::HandOut(AVFrame* frame) {
  av_frame_move_ref(frame, pending_.get());
  havePending_ = false;
  return DecodeStatus::kFrame;
}

DecodeStatus PictureDecoder::Next(AVFrame* frame) {
  if (!pending_) return DecodeStatus::kError;
  av_frame_unref(frame);
  for (;;) {
    if (deinterlacer_) {
      const int pulled = deinterlacer_->Pull(frame);
      if (pulled == 0) return DecodeStatus::kFrame;
      if (pulled != AVERROR(EAGAIN)) deinterlacer_.reset();  // all out
    }
    if (!havePending_) {
      if (decoderEnded_) return endStatus_;
      const DecodeStatus status = decoder_.Next(pending_.get());
      if (status != DecodeStatus::kFrame) {
        decoderEnded_ = true;
        endStatus_ = status;
        if (deinterlacer_) deinterlacer_->End();
        continue;
      }
      havePending_ = true;
    }
    if (deinterlacer_ && !deinterlacer_->Takes(*pending_)) {
      deinterlacer_->End();  // the pictures of the old size first
      continue;
    }
    const bool needed = NeedsDeinterlacing(*pending_);
    if (!deinterlacer_ && needed) deinterlacer_ = Deinterlacer::For(*pending_, timeBase_);
    if (!deinterlacer_) return HandOut(frame);
    if (!deinterlacer_->Push(pending_.get())) {
      deinterlacer_.reset();
      return HandOut(frame);
    }
    havePending_ = false;
  }
}

void PictureDecoder::Restart() {
  decoder_.Restart();
  deinterlacer_.reset();
  if (pending_) av_frame_unref(pending_.get());
  havePending_ = false;
  decoderEnded_ = false;
}

}  // namespace mcl
