#include "media/mcl/Clock.h"

#include <climits>
#include <cmath>

namespace mcl {

AVRational StreamRate(const AVStream* stream) {
  if (stream->avg_frame_rate.num > 0 && stream->avg_frame_rate.den > 0) return stream->avg_frame_rate;
  if (stream->r_frame_rate.num > 0 && stream->r_frame_rate.den > 0) return stream->r_frame_rate;
  return {25, 1};  // nothing recorded: the most common rate
}

int SlotOfTime(double framesSinceStart) {
  // A picture up to a quarter frame late still takes its own slot, so times
  // rounded by the container do not push it back a frame.
  const double slot = std::ceil(framesSinceStart - 0.25);
  if (!(slot > 0)) return 0;
  return slot >= INT_MAX / 2 ? INT_MAX / 2 : static_cast<int>(slot);
}

int SlotOfTimestamp(std::int64_t ts, std::int64_t firstTs, AVRational timeBase, AVRational rate) {
  return SlotOfTime(static_cast<double>(ts - firstTs) * av_q2d(timeBase) * av_q2d(rate));
}

}  // namespace mcl
