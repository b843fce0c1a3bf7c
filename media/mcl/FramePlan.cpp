#include "media/mcl/FramePlan.h"

#include <algorithm>

#include "media/mcl/Clock.h"

namespace mcl {

void FramePlan::SetClock(std::int64_t firstTs, AVRational timeBase, AVRational rate) {
  const std::lock_guard lock(mutex_);
  firstTs_ = firstTs;
  timeBase_ = timeBase;
  rate_ = rate;
  clockSet_ = true;
}

void FramePlan::Tell(int index) {
  const std::lock_guard lock(mutex_);
  everTold_ = true;
  // Out of order would break the search below; such a caller gets no skipping.
  if (!told_.empty() && index <= told_.back()) {
    off_ = off_ || index < told_.back();
    return;
  }
  told_.push_back(index);
}

void FramePlan::ForgetBefore(int index) {
  const std::lock_guard lock(mutex_);
  while (!told_.empty() && told_.front() < index) told_.pop_front();
}

bool FramePlan::Strays(int index) {
  const std::lock_guard lock(mutex_);
  if (!everTold_ || std::binary_search(told_.begin(), told_.end(), index)) return false;
  everTold_ = false;
  off_ = true;
  return true;
}

void FramePlan::TurnOff() {
  const std::lock_guard lock(mutex_);
  off_ = true;
}

bool FramePlan::Unneeded(std::int64_t pts, std::int64_t shownLaterPts) const {
  if (pts == AV_NOPTS_VALUE || shownLaterPts == AV_NOPTS_VALUE) return false;
  const std::lock_guard lock(mutex_);
  if (off_ || !clockSet_) return false;
  const int slot = Slot(pts);
  const auto next = std::lower_bound(told_.begin(), told_.end(), slot);
  if (next == told_.end()) return false;  // beyond what is known
  const int laterSlot = Slot(shownLaterPts);
  return slot < laterSlot && laterSlot <= *next;
}

int FramePlan::Slot(std::int64_t ts) const { return SlotOfTimestamp(ts, firstTs_, timeBase_, rate_); }

}  // namespace mcl
