#include "media/mcl/Deinterlacer.h"

#include <string>

#include "media/mcl/FilterLibrary.h"
#include "media/mcl/mcl.h"

extern "C" {
#include <libavutil/opt.h>
}

namespace mcl {

DeinterlaceMode DeinterlaceModeOf(int readFlags) {
  if ((readFlags & kMclDeinterlaceNone) != 0) return DeinterlaceMode::kNone;
  if ((readFlags & kMclDeinterlaceAll) != 0) return DeinterlaceMode::kAll;
  return DeinterlaceMode::kMarked;
}

// FFmpeg 6.1 moved the two marks into the frame's flags.
#ifdef AV_FRAME_FLAG_INTERLACED
bool MarkedInterlaced(const AVFrame& frame) { return (frame.flags & AV_FRAME_FLAG_INTERLACED) != 0; }

void MarkInterlaced(AVFrame& frame, int topFieldFirst) {
  if (!MarkedInterlaced(frame) && topFieldFirst >= 0) {
    frame.flags = topFieldFirst ? frame.flags | AV_FRAME_FLAG_TOP_FIELD_FIRST
                                : frame.flags & ~AV_FRAME_FLAG_TOP_FIELD_FIRST;
  }
  frame.flags |= AV_FRAME_FLAG_INTERLACED;
}
#else
bool MarkedInterlaced(const AVFrame& frame) { return frame.interlaced_frame != 0; }

void MarkInterlaced(AVFrame& frame, int topFieldFirst) {
  if (!frame.interlaced_frame && topFieldFirst >= 0) frame.top_field_first = topFieldFirst;
  frame.interlaced_frame = 1;
}
#endif

std::unique_ptr<Deinterlacer> Deinterlacer::For(const AVFrame& first, AVRational timeBase) {
  const FilterLibrary* filters = LoadFilterLibrary();
  if (filters == nullptr) return nullptr;
  std::unique_ptr<Deinterlacer> deinterlacer(new Deinterlacer(*filters));
  deinterlacer->timeBase_ = timeBase;
  if (!deinterlacer->Build(first)) return nullptr;
  return deinterlacer;
}

// buffer -> bwdif -> buffersink, all in the picture's own format: no
// conversion is put in between, so a format bwdif lacks fails here.
bool Deinterlacer::Build(const AVFrame& first) {
  const AVFilter* buffer = filters_.getByName("buffer");
  const AVFilter* bwdifFilter = filters_.getByName("bwdif");  // missing from some FFmpeg builds
  const AVFilter* buffersink = filters_.getByName("buffersink");
  if (buffer == nullptr || bwdifFilter == nullptr || buffersink == nullptr) return false;
  graph_.reset(filters_.graphAlloc());
  if (!graph_) return false;
  graph_->nb_threads = 1;  // it runs on the decoding thread, beside the conversion's
  filters_.setAutoConvert(graph_.get(), AVFILTER_AUTO_CONVERT_NONE);
  width_ = first.width;
  height_ = first.height;
  format_ = first.format;
  const std::string sourceArgs = "video_size=" + std::to_string(width_) + "x" + std::to_string(height_) +
                                 ":pix_fmt=" + std::to_string(format_) + ":time_base=" + std::to_string(timeBase_.num) +
                                 "/" + std::to_string(timeBase_.den) + ":pixel_aspect=1/1";
  AVFilterContext* bwdif = nullptr;
  if (filters_.createFilter(&source_, buffer, "in", sourceArgs.c_str(), nullptr, graph_.get()) < 0 ||
      filters_.createFilter(&bwdif, bwdifFilter, "bwdif",
                                   "mode=send_frame:parity=auto:deint=interlaced", nullptr, graph_.get()) < 0) {
    return false;
  }
  sink_ = filters_.allocFilter(graph_.get(), buffersink, "out");
  const AVPixelFormat formats[] = {static_cast<AVPixelFormat>(format_), AV_PIX_FMT_NONE};
  return sink_ != nullptr &&
         av_opt_set_int_list(sink_, "pix_fmts", formats, AV_PIX_FMT_NONE, AV_OPT_SEARCH_CHILDREN) >= 0 &&
         filters_.initFilter(sink_, nullptr) >= 0 && filters_.link(source_, 0, bwdif, 0) >= 0 &&
         filters_.link(bwdif, 0, sink_, 0) >= 0 && filters_.configure(graph_.get(), nullptr) >= 0;
}

bool Deinterlacer::Takes(const AVFrame& frame) const {
  return frame.width == width_ && frame.height == height_ && frame.format == format_;
}

bool Deinterlacer::Push(AVFrame* frame) {
  frame->pts = frame->best_effort_timestamp;
  return filters_.addFrame(source_, frame) >= 0;  // takes the frame's reference
}

void Deinterlacer::End() {
  if (ended_) return;
  ended_ = true;
  // Refused only without memory; Pull then ends without the picture held back.
  if (filters_.addFrame(source_, nullptr) < 0) return;
}

int Deinterlacer::Pull(AVFrame* frame) {
  av_frame_unref(frame);
  const int result = filters_.getFrame(sink_, frame);
  if (result == AVERROR(EAGAIN) && ended_) return AVERROR_EOF;
  if (result < 0) return result;
  // bwdif counts in half frames.
  if (frame->pts != AV_NOPTS_VALUE) frame->pts = av_rescale_q(frame->pts, filters_.sinkTimeBase(sink_), timeBase_);
  frame->best_effort_timestamp = frame->pts;
  return 0;
}

}  // namespace mcl
