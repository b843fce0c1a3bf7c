#include "cli/ProgressBar.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::size_t kBarWidth = 20;
constexpr const char* kEraseToLineEnd = "\033[K";

std::string Bar(int walked, int total) {
  auto filled = static_cast<std::size_t>(static_cast<long long>(std::clamp(walked, 0, total)) * kBarWidth / total);
  std::string bar(kBarWidth + 2, '-');
  bar.front() = '[';
  bar.back() = ']';
  bar.replace(1, filled, filled, '#');
  return bar;
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

std::string FormatProgress(int walked, int total, std::chrono::milliseconds elapsed) {
  std::string elapsedText = FormatDuration(elapsed) + " vergangen";
  if (total <= 0) return std::to_string(walked) + " Frames  " + elapsedText;

  std::string totalText = std::to_string(total);
  std::string walkedText = std::to_string(walked);
  if (walkedText.size() < totalText.size()) walkedText.insert(0, totalText.size() - walkedText.size(), ' ');
  long long percent = std::clamp(static_cast<long long>(walked) * 100 / total, 0LL, 100LL);
  std::string line = Bar(walked, total) + " " + walkedText + "/" + totalText + " Frames  " + std::to_string(percent) +
                     " %  " + elapsedText;
  if (walked > 0 && walked < total) {
    auto remaining = elapsed * (static_cast<long long>(total) - walked) / walked;
    line += ", noch " + FormatDuration(remaining);
  }
  return line;
}

ProgressBar::ProgressBar(std::ostream& out, ProgressClock clock) : out_(out), clock_(std::move(clock)) { Start(); }

void ProgressBar::Start() {
  start_ = clock_();
  drawnSinceStart_ = false;
}

void ProgressBar::Update(int walked, int total) {
  auto now = clock_();
  bool due = !shown_ || !drawnSinceStart_ || now - lastDraw_ >= kRedrawInterval || walked == total;
  if (!due) return;
  auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - start_);
  out_ << '\r' << FormatProgress(walked, total, elapsed) << kEraseToLineEnd << std::flush;
  lastDraw_ = now;
  shown_ = true;
  drawnSinceStart_ = true;
}

void ProgressBar::Clear() {
  if (!shown_) return;
  out_ << '\r' << kEraseToLineEnd << std::flush;
  shown_ = false;
}
