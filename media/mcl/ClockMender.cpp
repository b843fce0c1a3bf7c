#include "media/mcl/ClockMender.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace mcl {

ClockMender::ClockMender(AVRational timeBase, AVRational frameRate)
    : largestGap_(av_rescale_q(static_cast<std::int64_t>(kLargestClockGap * 1000), {1, 1000}, timeBase)),
      largestStepBack_(av_rescale_q(static_cast<std::int64_t>(kLargestClockStepBack * 1000), {1, 1000}, timeBase)),
      frameStep_(std::max<std::int64_t>(1, av_rescale_q(1, av_inv_q(frameRate), timeBase))) {}

std::int64_t ClockMender::Mend(std::int64_t ts) {
  std::int64_t mended = 0;
  const bool overflow = __builtin_add_overflow(ts, offset_, &mended);
  if (latest_ == AV_NOPTS_VALUE && !overflow) {
    latest_ = mended;
    return mended;
  }
  std::int64_t step = 0;
  if (overflow || __builtin_sub_overflow(mended, latest_, &step) || step > largestGap_ || step < -largestStepBack_) {
    if (firstBreakAt_ == AV_NOPTS_VALUE) firstBreakAt_ = latest_;
    mended = latest_ + frameStep_;
    if (__builtin_sub_overflow(mended, ts, &offset_)) offset_ = 0;
  }
  latest_ = std::max(latest_, mended);
  return mended;
}

bool ClockIsMended(const AVFormatContext* format) { return std::strcmp(format->iformat->name, "avi") != 0; }

namespace {

struct Remembered {
  std::string path;
  struct stat identity {};
  bool broken = false;
};

std::mutex rememberedMutex;
Remembered remembered;

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

}  // namespace

void RememberClockBroken(const std::string& path, bool broken) {
  struct stat identity {};
  if (stat(path.c_str(), &identity) != 0) return;
  const std::lock_guard lock(rememberedMutex);
  remembered = {path, identity, broken};
}

std::optional<bool> RememberedClockBroken(const std::string& path) {
  struct stat identity {};
  if (stat(path.c_str(), &identity) != 0) return std::nullopt;
  const std::lock_guard lock(rememberedMutex);
  if (remembered.path != path || !SameFile(remembered.identity, identity)) return std::nullopt;
  return remembered.broken;
}

}  // namespace mcl
