// Reopening a video decoder with another number of threads at a key frame,
// the pictures it lets out unchanged: the new decoder first decodes the
// pictures since the key frame before (the last of them is what the B-frames
// after the new key frame refer to), the old one lets out what it still
// holds, and the new one's pictures up to those are dropped. Only for MPEG-1,
// 2 and 4, whose pictures refer to none before the key frame before, and only
// while every picture has a time of its own and times go forward.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <vector>

#include "media/mcl/FfmpegHandles.h"

namespace mcl {

class ThreadSwitch {
 public:
  ThreadSwitch(CodecPtr& codec, const AVStream* stream);

  // From any thread: the number of threads the decoder should have.
  void Want(int threads) { wanted_.store(threads); }
  // From any thread: the number the decoder has now.
  int Threads() const { return threads_.load(); }
  // Before a packet of the stream is sent: switches first where due; the
  // packet is kept for the next switch.
  void BeforeSending(const AVPacket& packet);
  // A picture the old decoder let out at the switch, to be given next.
  bool TakeHeld(AVFrame* frame);
  // Whether the new decoder's picture was let out before the switch; notes
  // the time of those that were not.
  bool AlreadyShown(const AVFrame& picture);
  // After a seek: the decoder was flushed.
  void Restart();

 private:
  bool Due(const AVPacket& packet) const;
  void Switch(int threads);
  bool Replay(AVCodecContext* fresh);
  void DrainOld();

  CodecPtr& codec_;
  const AVStream* stream_;
  std::atomic<int> wanted_;
  std::atomic<int> threads_;
  bool possible_;
  std::vector<PacketPtr> sinceKey_;  // the packets sent since the last key frame
  std::size_t sinceKeyBytes_ = 0;
  bool sinceKeyWhole_ = false;  // all of them, each with its time
  std::deque<FramePtr> held_;
  std::int64_t lastShown_ = AV_NOPTS_VALUE;
  std::int64_t dropThrough_ = AV_NOPTS_VALUE;  // after a switch
};

}  // namespace mcl
