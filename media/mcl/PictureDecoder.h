// The video stream's pictures in display order, deinterlaced as asked:
// the decoder's pictures, through bwdif from the first one that needs it on.
// bwdif looks at the pictures beside each one, so a read plan is turned off
// wherever the filter may run (see KeepsPlan).
#pragma once

#include <cstdint>
#include <memory>

#include "media/mcl/Deinterlacer.h"
#include "media/mcl/FramePlan.h"
#include "media/mcl/MediaSource.h"
#include "media/mcl/PacketDecoder.h"

namespace mcl {

class PictureDecoder {
 public:
  // The source and the plan, if any, outlive the decoder.
  PictureDecoder(MediaSource& source, DeinterlaceMode mode, FramePlan* plan = nullptr);

  // The next picture into frame (unreferenced first).
  DecodeStatus Next(AVFrame* frame);
  // After a seek: the decoder's state and the pictures held back are dropped.
  void Restart();
  std::int64_t RestartPts() const { return decoder_.RestartPts(); }
  int RejectedSinceLastFrame() const { return decoder_.RejectedSinceLastFrame(); }
  // From any thread: see PacketDecoder::WantThreads.
  void WantThreads(int threads) { decoder_.WantThreads(threads); }
  int Threads() const { return decoder_.Threads(); }

 private:
  bool KeepsPlan(const AVStream& stream) const;
  bool NeedsDeinterlacing(AVFrame& frame);
  DecodeStatus HandOut(AVFrame* frame);

  PacketDecoder decoder_;
  DeinterlaceMode mode_;
  FramePlan* plan_;
  AVRational timeBase_;
  // From the stream's field order: -1 progressive or unknown, else whether
  // the top field is shown first.
  int streamTopFirst_ = -1;
  bool decoderMarks_ = false;  // a picture came marked interlaced
  std::unique_ptr<Deinterlacer> deinterlacer_;
  FramePtr pending_;  // decoded, not yet handed on
  bool havePending_ = false;
  bool decoderEnded_ = false;
  DecodeStatus endStatus_ = DecodeStatus::kEnd;
};

}  // namespace mcl
