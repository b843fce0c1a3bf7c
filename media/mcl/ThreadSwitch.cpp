#include "media/mcl/ThreadSwitch.h"

#include <algorithm>

#include "media/mcl/MediaSource.h"

namespace mcl {
namespace {

// A longer group is not kept: the switch waits for a shorter one.
constexpr std::size_t kLongestGroup = 300;
constexpr std::size_t kLargestGroupBytes = std::size_t{16} << 20;

bool RefersOnlyBackToTheKeyFrameBefore(AVCodecID codec) {
  return codec == AV_CODEC_ID_MPEG1VIDEO || codec == AV_CODEC_ID_MPEG2VIDEO || codec == AV_CODEC_ID_MPEG4;
}

}  // namespace

ThreadSwitch::ThreadSwitch(CodecPtr& codec, const AVStream* stream)
    : codec_(codec),
      stream_(stream),
      wanted_(codec->thread_count),
      threads_(codec->thread_count),
      possible_(RefersOnlyBackToTheKeyFrameBefore(stream->codecpar->codec_id)) {}

void ThreadSwitch::BeforeSending(const AVPacket& packet) {
  if (!possible_) return;
  if (packet.flags & AV_PKT_FLAG_KEY) {
    const int threads = wanted_.load();
    if (threads != threads_ && Due(packet)) Switch(threads);
    sinceKey_.clear();
    sinceKeyBytes_ = 0;
    sinceKeyWhole_ = true;
  }
  if (!sinceKeyWhole_) return;
  PacketPtr kept(av_packet_clone(&packet));
  sinceKeyBytes_ += static_cast<std::size_t>(packet.size);
  sinceKeyWhole_ = kept && packet.pts != AV_NOPTS_VALUE && sinceKey_.size() < kLongestGroup &&
                   sinceKeyBytes_ <= kLargestGroupBytes;
  if (sinceKeyWhole_) sinceKey_.push_back(std::move(kept));
  if (!sinceKeyWhole_) sinceKey_.clear();
}

bool ThreadSwitch::Due(const AVPacket& packet) const {
  return sinceKeyWhole_ && !sinceKey_.empty() && packet.pts != AV_NOPTS_VALUE && lastShown_ != AV_NOPTS_VALUE &&
         held_.empty() && dropThrough_ == AV_NOPTS_VALUE;
}

void ThreadSwitch::Switch(int threads) {
  CodecPtr fresh;
  if (OpenDecoder(stream_, threads, fresh, LoggedErrors::Of(*codec_)) != ErrorKind::kNone || !Replay(fresh.get())) {
    wanted_.store(threads_.load());  // stays as it is
    return;
  }
  DrainOld();
  dropThrough_ = lastShown_;
  for (const FramePtr& frame : held_) dropThrough_ = std::max(dropThrough_, frame->best_effort_timestamp);
  codec_ = std::move(fresh);
  threads_.store(threads);
}

// Only the pictures others refer to are needed, and none of them is let out.
bool ThreadSwitch::Replay(AVCodecContext* fresh) {
  FramePtr scrap(av_frame_alloc());
  if (!scrap) return false;
  fresh->skip_frame = AVDISCARD_NONREF;
  for (const PacketPtr& packet : sinceKey_) {
    if (avcodec_send_packet(fresh, packet.get()) < 0) return false;
    while (avcodec_receive_frame(fresh, scrap.get()) == 0) av_frame_unref(scrap.get());
  }
  return true;
}

// What the old decoder holds back (the last picture before the key frame in
// showing order) it lets out now, as it would have on the key frame.
void ThreadSwitch::DrainOld() {
  avcodec_send_packet(codec_.get(), nullptr);
  for (;;) {
    FramePtr frame(av_frame_alloc());
    if (!frame || avcodec_receive_frame(codec_.get(), frame.get()) != 0) return;
    held_.push_back(std::move(frame));
  }
}

bool ThreadSwitch::TakeHeld(AVFrame* frame) {
  if (held_.empty()) return false;
  av_frame_move_ref(frame, held_.front().get());
  held_.pop_front();
  return true;
}

bool ThreadSwitch::AlreadyShown(const AVFrame& picture) {
  const std::int64_t ts = picture.best_effort_timestamp;
  if (dropThrough_ != AV_NOPTS_VALUE) {
    if (ts != AV_NOPTS_VALUE && ts <= dropThrough_) return true;
    dropThrough_ = AV_NOPTS_VALUE;
  }
  // Without a time, or with one going back, the pictures cannot be matched.
  if (ts == AV_NOPTS_VALUE || (lastShown_ != AV_NOPTS_VALUE && ts <= lastShown_)) possible_ = false;
  lastShown_ = ts;
  return false;
}

void ThreadSwitch::Restart() {
  sinceKey_.clear();
  sinceKeyWhole_ = false;
  held_.clear();
  lastShown_ = AV_NOPTS_VALUE;
  dropThrough_ = AV_NOPTS_VALUE;
}

}  // namespace mcl
