#include "convert/ReadPlan.h"

#include <algorithm>

#include "convert/ConversionRun.h"

namespace {

// Source frames told ahead of the one being read: more than the decoder
// decodes ahead, also with threads of its own.
constexpr std::int32_t kFramesAhead = 64;

}  // namespace

void ReadPlan::TellAhead(const ConversionRun& run) {
  if (run.decoder.MclReadPlan == nullptr) return;
  const std::int32_t horizon = std::min(run.frameTotal, run.frameIndex + kFramesAhead);
  for (; planned_ < horizon; ++planned_) {
    sourceTime_ = AfterSourceFrame(sourceTime_, run.fileInfo.frameRate);
    if (!PictureDue(movieTime_, sourceTime_)) continue;
    run.decoder.MclReadPlan(run.readHandle.get(), run.firstFrame + planned_);
    do {
      movieTime_ = AfterMovieFrame(movieTime_, run.fps);
    } while (movieTime_ < sourceTime_);
  }
}
