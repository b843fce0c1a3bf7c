#include "media/mcl/AheadDecoder.h"

#include <time.h>

#include <system_error>
#include <utility>

namespace mcl {
namespace {

// The decoder runs until this many pictures wait, and is woken again only
// when half of them are taken: waking a thread for every picture cost more
// than decoding on the caller's thread saved.
constexpr std::size_t kPicturesAhead = 6;
constexpr std::size_t kWakeDecoderAt = kPicturesAhead / 2;
// Where the caller spends longer waiting for others (the JPEGs) than the
// pictures take to decode, decoding fits into those waits and the thread only
// costs: after such a run of pictures they are decoded on the caller's thread
// for a while, and then the thread is tried again.
constexpr int kJudgedPictures = 50;
constexpr int kPicturesOnCaller = 250;
// More decoder threads are kept only where they bring the pictures this much
// sooner: on some machines FFmpeg's frame threads hand pictures between cores
// at a cost that leaves decoding slower than on one.
constexpr double kKeepAllCoresBelow = 0.8;

std::chrono::nanoseconds ThreadCpuTime() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

}  // namespace

AheadDecoder::AheadDecoder(MediaSource source, DeinterlaceMode deinterlace, FramePlan* plan)
    : source_(std::move(source)),
      stream_(source_.Stream()),
      openedStartTime_(stream_->start_time),
      decoder_(source_, deinterlace, plan) {
  StartThread();
}

void AheadDecoder::StartThread() {
  // Where the system gives no thread (a tight memory limit), the pictures
  // are decoded on the caller's thread.
  try {
    thread_ = std::jthread([this](std::stop_token stop) { Produce(stop); });
  } catch (const std::system_error&) {
  }
}

void AheadDecoder::StopThread() {
  thread_.request_stop();
  if (thread_.joinable()) thread_.join();
}

void AheadDecoder::Produce(std::stop_token stop) {
  for (;;) {
    FramePtr frame;
    {
      std::unique_lock lock(mutex_);
      if (!changed_.wait(lock, stop, [this] { return ready_.size() < kPicturesAhead; })) return;
      if (!spare_.empty()) {
        frame = std::move(spare_.back());
        spare_.pop_back();
      }
    }
    if (!frame) frame.reset(av_frame_alloc());
    Decoded decoded{std::move(frame), DecodeStatus::kError, 0, 0, AV_NOPTS_VALUE};
    const std::chrono::nanoseconds started = ThreadCpuTime();
    if (decoded.frame) decoded.status = decoder_.Next(decoded.frame.get());
    const std::chrono::nanoseconds took = ThreadCpuTime() - started;
    decoded.rejected = decoder_.RejectedSinceLastFrame();
    decoded.loggedErrors = LoggedSoFar();
    decoded.restartPts = decoder_.RestartPts();
    const bool ended = decoded.status != DecodeStatus::kFrame;
    {
      const std::lock_guard lock(mutex_);
      ready_.push_back(std::move(decoded));
      decoding_ += took;
    }
    changed_.notify_all();
    if (ended) return;
  }
}

DecodeStatus AheadDecoder::Next(AVFrame* frame) {
  av_frame_unref(frame);
  if (!thread_.joinable()) {
    if (!ready_.empty()) return TakeReady(frame);  // what the thread left
    if (++picturesOnCaller_ < kPicturesOnCaller) return DecodeHere(frame);
    picturesOnCaller_ = 0;
    callerAway_.reset();
    StartThread();
  }
  const auto arrivedWall = std::chrono::steady_clock::now();
  const std::chrono::nanoseconds arrivedCpu = ThreadCpuTime();
  // Away from here but not running: waiting for others, or for a core.
  if (callerAway_) callerWaited_ += (arrivedWall - callerAway_->wall) - (arrivedCpu - callerAway_->cpu);
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !ready_.empty(); });
  }
  callerBlocked_ += std::chrono::steady_clock::now() - arrivedWall;
  const DecodeStatus status = TakeReady(frame);
  if (DecodingFitsCallersWaits()) StopThread();
  callerAway_ = CallerTimes{std::chrono::steady_clock::now(), ThreadCpuTime()};
  return status;
}

// A verdict after each run of judged pictures.
bool AheadDecoder::DecodingFitsCallersWaits() {
  const auto now = std::chrono::steady_clock::now();
  if (judged_++ == 0) runStarted_ = now;
  if (judged_ <= kJudgedPictures) return false;
  std::chrono::nanoseconds decoding{};
  {
    const std::lock_guard lock(mutex_);
    decoding = std::exchange(decoding_, {});
  }
  // The CPU time of FFmpeg's own threads is not the thread's: with them, the
  // decoding is not known to fit.
  const bool fits = callerWaited_ > decoding && decoder_.Threads() <= VideoDecoderThreads(false);
  ChooseDecoderThreads(fits, (now - runStarted_) / kJudgedPictures);
  judged_ = 0;
  callerWaited_ = {};
  callerBlocked_ = {};
  return fits;
}

// Where the caller waits for pictures far longer than for the JPEGs, the
// decoder is the slower side and is tried on every core; it keeps them where
// the pictures then come sooner. Where the caller waits for the JPEGs, one
// core stays theirs. In between, the decoder keeps what it has.
void AheadDecoder::ChooseDecoderThreads(bool decodingFitsWaits, std::chrono::nanoseconds perPicture) {
  const int fewer = VideoDecoderThreads(false);
  const int all = VideoDecoderThreads(true);
  const bool decoderSlower = !decodingFitsWaits && callerBlocked_ > 2 * callerWaited_;
  const bool jpegsSlower = decodingFitsWaits || callerWaited_ > 2 * callerBlocked_;
  switch (allCores_) {
    case AllCores::kUntried:
      if (!decoderSlower || all == fewer) return;
      onOneCore_ = perPicture;
      allCores_ = AllCores::kAsked;
      decoder_.WantThreads(all);
      return;
    case AllCores::kAsked:  // the run that saw the switch is not a fair one
      if (decoder_.Threads() == all) allCores_ = AllCores::kOnTrial;
      return;
    case AllCores::kOnTrial:
      allCores_ = perPicture < onOneCore_ * kKeepAllCoresBelow ? AllCores::kKept : AllCores::kRefused;
      if (allCores_ == AllCores::kRefused) decoder_.WantThreads(fewer);
      return;
    case AllCores::kKept:
      if (!jpegsSlower) return;
      allCores_ = AllCores::kUntried;
      decoder_.WantThreads(fewer);
      return;
    case AllCores::kRefused:
      return;
  }
}

int AheadDecoder::LoggedSoFar() const { return source_.errors != nullptr ? source_.errors->Count() : 0; }

DecodeStatus AheadDecoder::DecodeHere(AVFrame* frame) {
  const DecodeStatus status = decoder_.Next(frame);
  rejected_ = decoder_.RejectedSinceLastFrame();
  loggedErrors_ = LoggedSoFar();
  restartPts_ = decoder_.RestartPts();
  return status;
}

DecodeStatus AheadDecoder::TakeReady(AVFrame* frame) {
  std::unique_lock lock(mutex_);
  Decoded& front = ready_.front();
  rejected_ = front.rejected;
  loggedErrors_ = front.loggedErrors;
  restartPts_ = front.restartPts;
  const DecodeStatus status = front.status;
  if (status != DecodeStatus::kFrame) return status;
  av_frame_move_ref(frame, front.frame.get());
  spare_.push_back(std::move(front.frame));
  ready_.pop_front();
  const bool wake = ready_.size() == kWakeDecoderAt;
  lock.unlock();
  if (wake) changed_.notify_all();
  return status;
}

bool AheadDecoder::SeekBefore(std::int64_t target) {
  const bool threaded = thread_.joinable();
  StopThread();
  const bool moved = av_seek_frame(source_.format.get(), source_.stream, target, AVSEEK_FLAG_BACKWARD) >= 0;
  if (moved) {
    decoder_.Restart();
    for (Decoded& decoded : ready_) {
      if (!decoded.frame) continue;
      av_frame_unref(decoded.frame.get());
      spare_.push_back(std::move(decoded.frame));
    }
    ready_.clear();
  }
  if (threaded) StartThread();
  return moved;
}

}  // namespace mcl
