// Owning pointers for the FFmpeg handles: one deleter per C type.
#pragma once

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
struct AVFilterGraph;
}

namespace mcl {

struct FormatCloser {
  void operator()(AVFormatContext* p) const;
};
struct CodecFreer {
  void operator()(AVCodecContext* p) const { avcodec_free_context(&p); }
};
struct FrameFreer {
  void operator()(AVFrame* p) const { av_frame_free(&p); }
};
struct PacketFreer {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwsFreer {
  void operator()(SwsContext* p) const { sws_freeContext(p); }
};
struct SwrFreer {
  void operator()(SwrContext* p) const { swr_free(&p); }
};
// Through the filter library, loaded only when needed (FilterLibrary.h).
struct FilterGraphFreer {
  void operator()(AVFilterGraph* p) const;
};
// An input of our own (a joined file): the context, its buffer and the files
// behind it.
struct AvioCloser {
  void operator()(AVIOContext* p) const;
};

using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using SwsPtr = std::unique_ptr<SwsContext, SwsFreer>;
using SwrPtr = std::unique_ptr<SwrContext, SwrFreer>;
using FilterGraphPtr = std::unique_ptr<AVFilterGraph, FilterGraphFreer>;
using AvioPtr = std::unique_ptr<AVIOContext, AvioCloser>;

// FFmpeg leaves an input of our own open: it goes with the context that reads it.
inline void FormatCloser::operator()(AVFormatContext* p) const {
  AvioPtr own((p->flags & AVFMT_FLAG_CUSTOM_IO) ? p->pb : nullptr);
  avformat_close_input(&p);
}

}  // namespace mcl
