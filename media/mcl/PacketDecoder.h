// The one decode loop: reads the stream's packets, feeds the decoder, handles
// EAGAIN, the end of the file and draining. Callers ask for the next frame.
#pragma once

#include <cstdint>
#include <optional>

#include "media/mcl/FfmpegHandles.h"
#include "media/mcl/FramePlan.h"
#include "media/mcl/MediaSource.h"
#include "media/mcl/ThreadSwitch.h"

namespace mcl {

enum class DecodeStatus { kFrame, kEnd, kError };

class PacketDecoder {
 public:
  // With a plan, pictures none of its frames shows are left out where the
  // decoder can (FFmpeg's discarding of non-reference pictures).
  PacketDecoder(AVFormatContext* format, AVCodecContext* codec, int stream, FramePlan* plan = nullptr);
  // A video source's decoder, which may be reopened with another number of
  // threads (see WantThreads).
  PacketDecoder(MediaSource& source, FramePlan* plan);

  // The next decoded frame into frame (unreferenced first).
  DecodeStatus Next(AVFrame* frame);
  // After a seek: drops the decoder's state; a video decoder then starts at
  // the next key frame.
  void Restart();
  // Presentation time of the key frame that decoding restarted at, if known.
  std::int64_t RestartPts() const { return restartPts_; }
  // Packets or pictures the decoder refused since the last picture it gave.
  int RejectedSinceLastFrame() const { return rejected_; }
  // From any thread: the decoder is reopened with this many threads at a key
  // frame where that leaves the pictures as they are.
  void WantThreads(int threads) {
    if (switch_) switch_->Want(threads);
  }
  // From any thread: the decoder's threads now.
  int Threads() const { return switch_ ? switch_->Threads() : codec_->thread_count; }

 private:
  bool FeedOnePacket();
  void ChooseDiscard(const AVPacket& packet);
  void NoteRejected();

  AVFormatContext* format_;
  AVCodecContext* codec_;
  CodecPtr* owner_ = nullptr;  // of codec_, where it can be reopened
  std::optional<ThreadSwitch> switch_;
  int stream_;
  FramePlan* plan_;
  PacketPtr packet_;
  bool inputDone_ = false;
  bool waitForKey_ = false;
  int rejected_ = 0;
  std::int64_t restartPts_ = AV_NOPTS_VALUE;
  // The latest presentation time of the pictures sent to be decoded in full.
  std::int64_t latestFullPts_ = AV_NOPTS_VALUE;
};

}  // namespace mcl
