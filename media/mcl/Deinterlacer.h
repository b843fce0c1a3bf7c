// bwdif over a run of pictures of one size and format: one picture out for
// each picture in, one behind; pictures marked interlaced get each missing
// line interpolated from their own field and the neighbouring pictures,
// others come out as they went in.
#pragma once

#include <memory>

#include "media/mcl/FfmpegHandles.h"
#include "media/mcl/FilterLibrary.h"

namespace mcl {

enum class DeinterlaceMode {
  kMarked,  // pictures the stream marks as interlaced
  kAll,
  kNone,
};

DeinterlaceMode DeinterlaceModeOf(int readFlags);

bool MarkedInterlaced(const AVFrame& frame);
// Marks the picture interlaced, with the given first field where the
// picture does not say (-1: leave it).
void MarkInterlaced(AVFrame& frame, int topFieldFirst);

class Deinterlacer {
 public:
  // Null where the filter cannot take such pictures (its formats, fewer than
  // three lines), its library is missing or memory runs out; timeBase is that
  // of the pictures' times.
  static std::unique_ptr<Deinterlacer> For(const AVFrame& first, AVRational timeBase);

  // Whether the picture is of the size and format this one was made for.
  bool Takes(const AVFrame& frame) const;
  // Hands the picture over (frame is left empty); its time is its best-effort one.
  bool Push(AVFrame* frame);
  // No more pictures: the one held back comes out.
  void End();
  // 0 with a picture, its best-effort time in the given time base;
  // AVERROR(EAGAIN) when the next picture is needed first; AVERROR_EOF after
  // the last.
  int Pull(AVFrame* frame);

 private:
  explicit Deinterlacer(const FilterLibrary& filters) : filters_(filters) {}
  bool Build(const AVFrame& first);

  const FilterLibrary& filters_;  // loaded for the process's life
  FilterGraphPtr graph_;
  AVFilterContext* source_ = nullptr;
  AVFilterContext* sink_ = nullptr;
  AVRational timeBase_{};
  int width_ = 0;
  int height_ = 0;
  int format_ = -1;
  bool ended_ = false;
};

}  // namespace mcl
