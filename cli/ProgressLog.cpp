#include "cli/ProgressLog.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// "00:01:02.500000", as ffmpeg writes out_time.
std::string ClockTime(double seconds) {
  const auto micros = static_cast<long long>(std::llround(std::max(0.0, seconds) * 1e6));
  char text[40];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%06lld", micros / 3600000000LL, micros / 60000000LL % 60,
                micros / 1000000LL % 60, micros % 1000000LL);
  return text;
}

}  // namespace

std::string ProgressBlock(const std::string& source, const RunProgress& progress, bool end) {
  const long long percent =
      progress.total > 0 ? std::clamp(static_cast<long long>(progress.frame) * 100 / progress.total, 0LL, 100LL) : 0;
  std::string block = "source=";
  // A line break in a file name would end the line early.
  for (const char c : source) block += c == '\n' || c == '\r' ? '?' : c;
  block += "\nframe=" + std::to_string(progress.frame);
  block += "\ntotal=" + std::to_string(std::max(progress.total, 0));
  block += "\npercent=" + std::to_string(percent);
  block += "\nout_time=" + ClockTime(progress.movieSeconds);
  block += "\nbytes=" + std::to_string(progress.movieBytes);
  block += end ? "\nprogress=end\n" : "\nprogress=continue\n";
  return block;
}

ProgressLog::ProgressLog(std::ostream& out, ProgressClock clock) : out_(out), clock_(std::move(clock)) {}

void ProgressLog::Begin(const std::string& source) {
  source_ = source;
  written_ = false;
}

void ProgressLog::Update(const RunProgress& progress) {
  const auto now = clock_();
  if (written_ && now - lastBlock_ < kInterval) return;
  out_ << ProgressBlock(source_, progress, false) << std::flush;
  lastBlock_ = now;
  written_ = true;
}

void ProgressLog::End(const RunProgress& progress) { out_ << ProgressBlock(source_, progress, true) << std::flush; }
