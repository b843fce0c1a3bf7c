// Progress for scripts, as key=value blocks the way ffmpeg's -progress
// writes them: one block at most every interval and one at each run's end.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

#include "cli/ProgressBar.h"

// How far one run got.
struct RunProgress {
  int frame = 0;  // source frames walked
  int total = 0;  // source frames to walk; 0 or less when unknown
  double movieSeconds = 0;
  std::uint64_t movieBytes = 0;
};

// "source=…", "frame=", "total=", "percent=", "out_time=HH:MM:SS.micro",
// "bytes=", then "progress=continue" or, as the last of a source, "progress=end".
std::string ProgressBlock(const std::string& source, const RunProgress& progress, bool end);

class ProgressLog {
 public:
  static constexpr std::chrono::milliseconds kInterval{500};

  explicit ProgressLog(std::ostream& out, ProgressClock clock = std::chrono::steady_clock::now);

  void Begin(const std::string& source);
  // Writes a block when the interval has passed since the last one.
  void Update(const RunProgress& progress);
  // The run's last block.
  void End(const RunProgress& progress);

 private:
  std::ostream& out_;
  ProgressClock clock_;
  std::string source_;
  std::chrono::steady_clock::time_point lastBlock_;
  bool written_ = false;
};
