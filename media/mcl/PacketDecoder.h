// The one decode loop: reads the stream's packets, feeds the decoder, handles
// EAGAIN, the end of the file and draining. Callers ask for the next frame.
#pragma once

#include <cstdint>

#include "media/mcl/FfmpegHandles.h"

namespace mcl {

enum class DecodeStatus { kFrame, kEnd, kError };

class PacketDecoder {
 public:
  PacketDecoder(AVFormatContext* format, AVCodecContext* codec, int stream);

  // The next decoded frame into frame (unreferenced first).
  DecodeStatus Next(AVFrame* frame);
  // After a seek: drops the decoder's state; a video decoder then starts at
  // the next key frame.
  void Restart();
  // Presentation time of the key frame that decoding restarted at, if known.
  std::int64_t RestartPts() const { return restartPts_; }
  // Packets or pictures the decoder refused since the last picture it gave.
  int RejectedSinceLastFrame() const { return rejected_; }

 private:
  bool FeedOnePacket();

  AVFormatContext* format_;
  AVCodecContext* codec_;
  int stream_;
  PacketPtr packet_;
  bool inputDone_ = false;
  bool waitForKey_ = false;
  int rejected_ = 0;
  std::int64_t restartPts_ = AV_NOPTS_VALUE;
};

}  // namespace mcl
