#include "media/mcl/PacketDecoder.h"

#include <algorithm>

namespace mcl {
namespace {

// Decoder errors one after another before the stream counts as unreadable.
constexpr int kMaxErrorsInRow = 500;

}  // namespace

PacketDecoder::PacketDecoder(AVFormatContext* format, AVCodecContext* codec, int stream, FramePlan* plan)
    : format_(format), codec_(codec), stream_(stream), plan_(plan), packet_(av_packet_alloc()) {}

PacketDecoder::PacketDecoder(MediaSource& source, FramePlan* plan)
    : PacketDecoder(source.format.get(), source.codec.get(), source.stream, plan) {
  owner_ = &source.codec;
  switch_.emplace(source.codec, source.Stream());
}

DecodeStatus PacketDecoder::Next(AVFrame* frame) {
  if (!packet_) return DecodeStatus::kError;
  av_frame_unref(frame);
  rejected_ = 0;
  int errorsInRow = 0;
  while (errorsInRow < kMaxErrorsInRow) {
    // Those the old decoder let out at a switch come before the new one's.
    if (switch_ && switch_->TakeHeld(frame)) return DecodeStatus::kFrame;
    const int result = avcodec_receive_frame(codec_, frame);
    if (result == 0 && switch_ && switch_->AlreadyShown(*frame)) {
      av_frame_unref(frame);
      continue;
    }
    if (result == 0) return DecodeStatus::kFrame;
    if (result == AVERROR_EOF) return DecodeStatus::kEnd;
    if (result != AVERROR(EAGAIN)) {
      // A damaged picture is skipped, as the ffmpeg tool does.
      NoteRejected();
      ++errorsInRow;
      continue;
    }
    if (!FeedOnePacket()) ++errorsInRow;
  }
  return DecodeStatus::kError;
}

bool PacketDecoder::FeedOnePacket() {
  if (inputDone_) return false;
  for (;;) {
    const int readResult = av_read_frame(format_, packet_.get());
    if (readResult < 0) {
      inputDone_ = true;
      avcodec_send_packet(codec_, nullptr);  // drain the pictures still held back
      return true;
    }
    const bool wanted =
        packet_->stream_index == stream_ && packet_->size > 0 && (!waitForKey_ || (packet_->flags & AV_PKT_FLAG_KEY));
    if (!wanted) {
      av_packet_unref(packet_.get());
      continue;
    }
    if (waitForKey_) restartPts_ = packet_->pts;
    waitForKey_ = false;
    if (switch_) {
      switch_->BeforeSending(*packet_);
      codec_ = owner_->get();
    }
    ChooseDiscard(*packet_);
    const std::int64_t pts = packet_->pts;
    const int sendResult = avcodec_send_packet(codec_, packet_.get());
    av_packet_unref(packet_.get());
    if (sendResult < 0) NoteRejected();
    if (sendResult >= 0 && codec_->skip_frame == AVDISCARD_DEFAULT && pts != AV_NOPTS_VALUE) {
      latestFullPts_ = latestFullPts_ == AV_NOPTS_VALUE ? pts : std::max(latestFullPts_, pts);
    }
    return sendResult >= 0;
  }
}

// Set before each packet is sent: the decoder takes the setting with the
// packet, also when a thread of its own decodes it. A picture sent in full
// before this one, shown after it, no later than the next frame asked for,
// stands in for it.
void PacketDecoder::ChooseDiscard(const AVPacket& packet) {
  const bool unneeded = plan_ != nullptr && plan_->Unneeded(packet.pts, latestFullPts_);
  codec_->skip_frame = unneeded ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
}

// A picture that fails may have been the one standing in for a picture left
// out; damaged streams are decoded in full from then on.
void PacketDecoder::NoteRejected() {
  ++rejected_;
  if (plan_ != nullptr) plan_->TurnOff();
}

void PacketDecoder::Restart() {
  avcodec_flush_buffers(codec_);
  if (switch_) switch_->Restart();
  inputDone_ = false;
  waitForKey_ = codec_->codec_type == AVMEDIA_TYPE_VIDEO;
  restartPts_ = AV_NOPTS_VALUE;
  latestFullPts_ = AV_NOPTS_VALUE;
  rejected_ = 0;
}

}  // namespace mcl
