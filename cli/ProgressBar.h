// A one-line progress display for a terminal, redrawn in place.
#pragma once

#include <chrono>
#include <functional>
#include <ostream>
#include <string>

using ProgressClock = std::function<std::chrono::steady_clock::time_point()>;

// "[#####---------------]  25/100 Frames  25 %  0:03 vergangen, noch 0:09".
// A total of 0 or less (unknown) shows only the count and the elapsed time.
std::string FormatProgress(int walked, int total, std::chrono::milliseconds elapsed);

// "m:ss", or "h:mm:ss" from one hour on.
std::string FormatDuration(std::chrono::milliseconds duration);

class ProgressBar {
 public:
  static constexpr std::chrono::milliseconds kRedrawInterval{100};

  explicit ProgressBar(std::ostream& out, ProgressClock clock = std::chrono::steady_clock::now);

  // Starts the elapsed time of a new run.
  void Start();
  // Redraws at most once per kRedrawInterval; the last frame is always drawn.
  void Update(int walked, int total);
  // Removes the bar from the screen so other output starts on a clean line.
  void Clear();

 private:
  std::ostream& out_;
  ProgressClock clock_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDraw_;
  bool shown_ = false;
  bool drawnSinceStart_ = false;
};
