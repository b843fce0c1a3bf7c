// The one clock every source is presented on: its video stream's. Frame i is
// the picture on screen at t0 + i / r (t0 the first picture's time, r the
// reported rate); sound sample n is the sound at t0 + n / (sample rate).
#pragma once

#include <cstdint>

#include "media/mcl/FfmpegHandles.h"

namespace mcl {

// The rate the file reports for the stream; 25 when it reports none.
AVRational StreamRate(const AVStream* stream);

// The frame slot from which on a picture is shown, given its time in frames
// after the first picture.
int SlotOfTime(double framesSinceStart);
// The slot of a timestamp, given the first picture's and the stream's time base and rate.
int SlotOfTimestamp(std::int64_t ts, std::int64_t firstTs, AVRational timeBase, AVRational rate);

}  // namespace mcl
