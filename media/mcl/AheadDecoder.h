// A video stream decoded on a thread of its own, a few pictures ahead of the
// caller, while that helps: converting and comparing one picture overlaps with
// decoding the next. The pictures, their order and what is told of them are
// those of decoding on the caller's thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

#include "media/mcl/MediaSource.h"
#include "media/mcl/PictureDecoder.h"

namespace mcl {

class AheadDecoder {
 public:
  // The plan, if any, outlives the decoder.
  AheadDecoder(MediaSource source, DeinterlaceMode deinterlace, FramePlan* plan = nullptr);
  // The thread ends before the decoder and the file go.
  ~AheadDecoder() { StopThread(); }
  AheadDecoder(const AheadDecoder&) = delete;
  AheadDecoder& operator=(const AheadDecoder&) = delete;

  // The stream's fixed properties; its start as known when the file was opened.
  const AVStream* Stream() const { return stream_; }
  const AVFormatContext* Format() const { return source_.format.get(); }
  std::int64_t OpenedStartTime() const { return openedStartTime_; }

  // The next picture into frame; at the end, the same ending on every call.
  DecodeStatus Next(AVFrame* frame);
  // Moves to the key frame at or before target (in the stream's time base);
  // false, and the pictures go on from where they were, when the file cannot.
  bool SeekBefore(std::int64_t target);
  // Of the picture last taken, as the decoder tells them.
  std::int64_t RestartPts() const { return restartPts_; }
  int RejectedSinceLastFrame() const { return rejected_; }
  // The errors the source had logged when the picture last taken was decoded.
  int LoggedErrorsSoFar() const { return loggedErrors_; }

 private:
  struct Decoded {
    FramePtr frame;
    DecodeStatus status;
    int rejected;
    int loggedErrors;
    std::int64_t restartPts;
  };

  DecodeStatus DecodeHere(AVFrame* frame);
  DecodeStatus TakeReady(AVFrame* frame);
  int LoggedSoFar() const;
  bool DecodingFitsCallersWaits();
  void ChooseDecoderThreads(bool decodingFitsWaits, std::chrono::nanoseconds perPicture);
  void StartThread();
  void StopThread();
  void Produce(std::stop_token stop);

  MediaSource source_;
  // Taken once: an MPEG demuxer may add streams, moving their array, while
  // the thread reads.
  const AVStream* stream_;
  std::int64_t openedStartTime_;
  PictureDecoder decoder_;  // used by the thread only while it runs
  std::mutex mutex_;
  std::condition_variable_any changed_;
  std::deque<Decoded> ready_;   // oldest first; an ending stays at the front
  std::vector<FramePtr> spare_;  // frames given back, for the next pictures
  std::int64_t restartPts_ = AV_NOPTS_VALUE;
  int rejected_ = 0;
  int loggedErrors_ = 0;
  struct CallerTimes {
    std::chrono::steady_clock::time_point wall;
    std::chrono::nanoseconds cpu;  // the caller thread's
  };
  std::chrono::nanoseconds decoding_{};      // the thread's CPU time, this run of pictures
  std::optional<CallerTimes> callerAway_;    // when the caller last left Next
  std::chrono::nanoseconds callerWaited_{};  // away but not running, this run
  std::chrono::nanoseconds callerBlocked_{};  // in Next waiting for the thread, this run
  int judged_ = 0;                           // pictures taken in this run of the thread's
  std::chrono::steady_clock::time_point runStarted_;
  // Whether the decoder is on every core: tried once where it is the slower
  // side, and kept only where that made it faster.
  enum class AllCores { kUntried, kAsked, kOnTrial, kKept, kRefused };
  AllCores allCores_ = AllCores::kUntried;
  std::chrono::nanoseconds onOneCore_{};     // wall time a picture, before the trial
  int picturesOnCaller_ = 0;                 // since the thread was stopped
  std::jthread thread_;        // not running while pictures are decoded here
};

}  // namespace mcl
