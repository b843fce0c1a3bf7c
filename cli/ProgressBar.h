// A one-line progress display for a terminal, redrawn in place.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <limits>
#include <ostream>
#include <string>

using ProgressClock = std::function<std::chrono::steady_clock::time_point()>;
// The terminal's width now; asked at every redraw, so a resized window is followed.
using TerminalColumns = std::function<std::size_t()>;

// The remaining time is shown from this much elapsed time and share of the frames on.
inline constexpr std::chrono::milliseconds kFirstEstimateAfter{2000};
inline constexpr int kFirstEstimatePercent = 2;

inline constexpr std::size_t kAnyWidth = std::numeric_limits<std::size_t>::max();

// "[#####---------------]  25/100 Frames  25 %  0:03 vergangen, noch 0:09",
// at most columns characters: a narrower bar first, then none, then no time.
// A total of 0 or less (unknown) shows only the count and the elapsed time.
std::string FormatProgress(int walked, int total, std::chrono::milliseconds elapsed, std::size_t columns = kAnyWidth);

// "m:ss", or "h:mm:ss" from one hour on.
std::string FormatDuration(std::chrono::milliseconds duration);

class ProgressBar {
 public:
  static constexpr std::chrono::milliseconds kRedrawInterval{100};

  explicit ProgressBar(
      std::ostream& out, ProgressClock clock = std::chrono::steady_clock::now,
      TerminalColumns columns = [] { return kAnyWidth; });

  // Starts the elapsed time of a new run.
  void Start();
  // Redraws at most once per kRedrawInterval; the last frame is always drawn.
  void Update(int walked, int total);
  // Removes the bar from the screen so other output starts on a clean line.
  void Clear();

 private:
  std::ostream& out_;
  ProgressClock clock_;
  TerminalColumns columns_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDraw_;
  bool shown_ = false;
  bool drawnSinceStart_ = false;
};

// The width of the terminal on fd; COLUMNS or 80 when it does not say.
std::size_t TerminalWidth(int fd);
