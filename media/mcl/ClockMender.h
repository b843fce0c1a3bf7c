// Picture times trusted only within reason. A picture more than kLargestClockGap
// after the latest one before it, or more than kLargestClockStepBack before
// it, marks damage: the clock goes on one frame after that latest picture. A
// jump of hours then costs no empty frames, and a clock that wraps or starts
// again piles no pictures onto one slot. Smaller steps (reordered B-frames in
// decoding order, dropped frames) pass unchanged.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "media/mcl/FfmpegHandles.h"

namespace mcl {

inline constexpr double kLargestClockGap = 10.0;      // seconds
inline constexpr double kLargestClockStepBack = 1.0;  // seconds

class ClockMender {
 public:
  ClockMender(AVRational timeBase, AVRational frameRate);

  // The mended time of a picture at ts (the stream's time base, not NOPTS).
  std::int64_t Mend(std::int64_t ts);
  // The next picture is taken at its own time (after a seek).
  void Restart() { latest_ = AV_NOPTS_VALUE; }
  bool Broken() const { return firstBreakAt_ != AV_NOPTS_VALUE; }
  // Mended time of the latest picture before the first break.
  std::int64_t FirstBreakAt() const { return firstBreakAt_; }

 private:
  std::int64_t largestGap_;
  std::int64_t largestStepBack_;
  std::int64_t frameStep_;
  std::int64_t offset_ = 0;
  std::int64_t latest_ = AV_NOPTS_VALUE;
  std::int64_t firstBreakAt_ = AV_NOPTS_VALUE;
};

// AVI's picture times count the chunks of its index, every one stored: only
// the other containers' clocks are mended.
bool ClockIsMended(const AVFormatContext* format);

// Whether the file's picture clock breaks, as found when the file's packets
// were counted; kept for the reader of the same unchanged file, which then
// need not read the file through once more.
void RememberClockBroken(const std::string& path, bool broken);
std::optional<bool> RememberedClockBroken(const std::string& path);

}  // namespace mcl
