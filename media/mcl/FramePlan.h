// The frames a caller has said it will ask for, in order, so that the decoder
// can leave out pictures none of them shows: a picture that no other picture
// refers to (a B-frame) is not needed when a picture decoded before it is
// shown after it and no later than the next frame asked for. Told on the
// caller's thread, asked on the decoding thread.
//
// A filter that looks at neighbouring pictures (deinterlacing) must see every
// picture: the plan is to be turned off while one runs.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>

#include "media/mcl/FfmpegHandles.h"

namespace mcl {

class FramePlan {
 public:
  // Once the first picture has set the clock: frame slots of timestamps.
  void SetClock(std::int64_t firstTs, AVRational timeBase, AVRational rate);
  // index will be asked for after those told before.
  void Tell(int index);
  // The caller has moved on to index: frames before it are no longer asked for.
  void ForgetBefore(int index);
  // A frame asked for that was not told: pictures it shows may have been
  // left out. True once; the plan is off from then on.
  bool Strays(int index);
  // For good: timestamps the slots cannot be trusted on, damaged pictures.
  void TurnOff();
  // Whether the picture shown from pts on is needed by no told frame, when a
  // picture certain to be decoded is shown from shownLaterPts on.
  bool Unneeded(std::int64_t pts, std::int64_t shownLaterPts) const;

 private:
  int Slot(std::int64_t ts) const;

  mutable std::mutex mutex_;
  std::deque<int> told_;  // ascending
  bool everTold_ = false;
  bool off_ = false;
  bool clockSet_ = false;
  std::int64_t firstTs_ = 0;
  AVRational timeBase_{1, 1};
  AVRational rate_{25, 1};
};

}  // namespace mcl
