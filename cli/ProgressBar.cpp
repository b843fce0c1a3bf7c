#include "cli/ProgressBar.h"

#include <sys/ioctl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr std::size_t kBarWidth = 20;
constexpr std::size_t kNarrowestBar = 5;
constexpr const char* kEraseToLineEnd = "\033[K";

std::string Bar(int walked, int total, std::size_t width) {
  auto filled = static_cast<std::size_t>(static_cast<long long>(std::clamp(walked, 0, total)) *
                                         static_cast<long long>(width) / total);
  std::string bar(width + 2, '-');
  bar.front() = '[';
  bar.back() = ']';
  bar.replace(1, filled, filled, '#');
  return bar;
}

// An estimate from the first frames or the first moment swings wildly.
bool EstimateWorthShowing(int walked, int total, std::chrono::milliseconds elapsed) {
  return walked > 0 && walked < total && elapsed >= kFirstEstimateAfter &&
         static_cast<long long>(walked) * 100 >= static_cast<long long>(total) * kFirstEstimatePercent;
}

std::string TimeText(int walked, int total, std::chrono::milliseconds elapsed) {
  std::string text = FormatDuration(elapsed) + " vergangen";
  if (EstimateWorthShowing(walked, total, elapsed)) {
    text += ", noch " + FormatDuration(elapsed * (static_cast<long long>(total) - walked) / walked);
  }
  return text;
}

// The widest form that fits: the bar narrows, then goes, then the time goes.
std::string Fit(int walked, int total, const std::string& count, const std::string& time, std::size_t columns) {
  const std::string tail = " " + count + "  " + time;
  if (kBarWidth + 2 + tail.size() <= columns) return Bar(walked, total, kBarWidth) + tail;
  if (kNarrowestBar + 2 + tail.size() <= columns) return Bar(walked, total, columns - 2 - tail.size()) + tail;
  if (count.size() + 2 + time.size() <= columns) return count + "  " + time;
  return count.substr(0, columns);
}

}  // namespace

std::string FormatDuration(std::chrono::milliseconds duration) {
  long long seconds = std::max<long long>(0, duration.count() / 1000);
  char text[32];
  if (seconds >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
  }
  return text;
}

std::string FormatProgress(int walked, int total, std::chrono::milliseconds elapsed, std::size_t columns) {
  const std::string time = TimeText(walked, total, elapsed);
  if (total <= 0) {
    const std::string line = std::to_string(walked) + " Frames  " + time;
    return line.substr(0, columns);
  }
  const std::string totalText = std::to_string(total);
  std::string walkedText = std::to_string(walked);
  if (walkedText.size() < totalText.size()) walkedText.insert(0, totalText.size() - walkedText.size(), ' ');
  const long long percent = std::clamp(static_cast<long long>(walked) * 100 / total, 0LL, 100LL);
  const std::string count = walkedText + "/" + totalText + " Frames  " + std::to_string(percent) + " %";
  return Fit(walked, total, count, time, columns);
}

ProgressBar::ProgressBar(std::ostream& out, ProgressClock clock, TerminalColumns columns)
    : out_(out), clock_(std::move(clock)), columns_(std::move(columns)) {
  Start();
}

void ProgressBar::Start() {
  start_ = clock_();
  drawnSinceStart_ = false;
}

void ProgressBar::Update(int walked, int total) {
  auto now = clock_();
  bool due = !shown_ || !drawnSinceStart_ || now - lastDraw_ >= kRedrawInterval || walked == total;
  if (!due) return;
  auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - start_);
  // One column stays free: a line filling the last one wraps on many terminals.
  const std::size_t columns = columns_();
  const std::string line = FormatProgress(walked, total, elapsed, columns > 1 ? columns - 1 : 1);
  out_ << '\r' << line << kEraseToLineEnd << std::flush;
  lastDraw_ = now;
  shown_ = true;
  drawnSinceStart_ = true;
}

void ProgressBar::Clear() {
  if (!shown_) return;
  out_ << '\r' << kEraseToLineEnd << std::flush;
  shown_ = false;
}

std::size_t TerminalWidth(int fd) {
  winsize size{};
  if (ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  const char* columns = std::getenv("COLUMNS");
  const long fromEnvironment = columns != nullptr ? std::strtol(columns, nullptr, 10) : 0;
  return fromEnvironment > 0 ? static_cast<std::size_t>(fromEnvironment) : 80;
}
