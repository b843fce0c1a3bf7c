// Owns one picture of the imaging module and gives it back with deldib, so no
// picture leaks on an early exit.
#pragma once

#include <utility>

#include "media/pictavo/PictavoApi.h"

class PictureHolder {
 public:
  explicit PictureHolder(const PictavoApi& imaging) : imaging_(&imaging) {}
  ~PictureHolder() { Release(); }
  PictureHolder(PictureHolder&& other) noexcept
      : imaging_(other.imaging_), dib_(other.dib_), held_(std::exchange(other.held_, false)) {}
  PictureHolder& operator=(PictureHolder&& other) noexcept {
    if (this != &other) {
      Release();
      imaging_ = other.imaging_;
      dib_ = other.dib_;
      held_ = std::exchange(other.held_, false);
    }
    return *this;
  }
  PictureHolder(const PictureHolder&) = delete;
  PictureHolder& operator=(const PictureHolder&) = delete;

  // Replaces the held picture by a new 24-bit one of width by height pixels;
  // false, holding nothing, when the module could not make it.
  bool Make(int width, int height) {
    Release();
    dib_ = DibRecord{};
    held_ = imaging_->newdib(&dib_, width, height, 24, 0, 0) == 0 && dib_.info != nullptr && dib_.rows != nullptr;
    return held_;
  }
  bool Held() const { return held_; }
  void Release() {
    if (held_) imaging_->deldib(dib_);
    held_ = false;
  }

  const DibRecord& Dib() const { return dib_; }
  int Width() const { return held_ && dib_.info ? dib_.info->width : 0; }
  int Height() const { return held_ && dib_.info ? dib_.info->height : 0; }
  unsigned char* Row(int r) const { return dib_.rows + static_cast<std::ptrdiff_t>(r) * dib_.rowLength; }

 private:
  const PictavoApi* imaging_;
  DibRecord dib_{};
  bool held_ = false;
};
