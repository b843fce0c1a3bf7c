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

PictureDecoder::PictureDecoder(AVFormatContext* format, AVCodecContext* codec, int stream, DeinterlaceMode mode)
    : decoder_(format, codec, stream),
      mode_(mode),
      timeBase_(format->streams[stream]->time_base),
      streamTopFirst_(TopFirstOf(format->streams[stream]->codecpar->field_order)),
      pending_(av_frame_alloc()) {}

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
      if (MarkedInterlaced(frame)) return decoderMarks_ = true;
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
