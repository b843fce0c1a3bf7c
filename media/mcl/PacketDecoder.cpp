#include "media/mcl/PacketDecoder.h"

namespace mcl {
namespace {

// Decoder errors one after another before the stream counts as unreadable.
constexpr int kMaxErrorsInRow = 500;

}  // namespace

PacketDecoder::PacketDecoder(AVFormatContext* format, AVCodecContext* codec, int stream)
    : format_(format), codec_(codec), stream_(stream), packet_(av_packet_alloc()) {}

DecodeStatus PacketDecoder::Next(AVFrame* frame) {
  if (!packet_) return DecodeStatus::kError;
  av_frame_unref(frame);
  int errorsInRow = 0;
  while (errorsInRow < kMaxErrorsInRow) {
    const int result = avcodec_receive_frame(codec_, frame);
    if (result == 0) {
      rejected_ = 0;
      return DecodeStatus::kFrame;
    }
    if (result == AVERROR_EOF) return DecodeStatus::kEnd;
    if (result != AVERROR(EAGAIN)) {
      // A damaged picture is skipped, as the ffmpeg tool does.
      ++rejected_;
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
    const int sendResult = avcodec_send_packet(codec_, packet_.get());
    av_packet_unref(packet_.get());
    if (sendResult < 0) ++rejected_;
    return sendResult >= 0;
  }
}

void PacketDecoder::Restart() {
  avcodec_flush_buffers(codec_);
  inputDone_ = false;
  waitForKey_ = codec_->codec_type == AVMEDIA_TYPE_VIDEO;
  restartPts_ = AV_NOPTS_VALUE;
  rejected_ = 0;
}

}  // namespace mcl
