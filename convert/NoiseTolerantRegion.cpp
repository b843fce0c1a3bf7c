#include "convert/NoiseTolerantRegion.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kReach = 2;              // pixels on each side of the one judged
constexpr int kSpan = 2 * kReach + 1;  // rows and columns a judgement looks at
constexpr int kBlock = 8;              // the JPEG's block size

// Pixels within reach of i along a line of n pixels, i itself included.
int WithinReach(int i, int n) { return std::min(n - 1, i + kReach) - std::max(0, i - kReach) + 1; }

// What one pixel, or a sum over pixels, differs by: each channel with its
// sign, and the largest channel without.
struct Difference {
  int channel[3] = {0, 0, 0};
  int largest = 0;

  void Add(const Difference& d, int sign) {
    for (int c = 0; c < 3; ++c) channel[c] += sign * d.channel[c];
    largest += sign * d.largest;
  }
  // Changed: a channel moved one way by more than limit on average, or the
  // pixels moved either way by more than twice that.
  bool Exceeds(int limit, int pixels) const {
    const int total = limit * pixels;
    return std::abs(channel[0]) > total || std::abs(channel[1]) > total || std::abs(channel[2]) > total ||
           largest > 2 * total;
  }
};

Difference PixelDifference(const unsigned char* a, const unsigned char* b) {
  Difference d;
  for (int c = 0; c < 3; ++c) {
    d.channel[c] = a[c] - b[c];
    d.largest = std::max(d.largest, std::abs(d.channel[c]));
  }
  return d;
}

// Per column, the differences summed over the rows within reach of the row
// judged; the rows' own differences are kept in a ring.
class ColumnSums {
 public:
  ColumnSums(const PictureHolder& current, const PictureHolder& previous, int w, int h)
      : current_(current), previous_(previous), w_(w), h_(h), ring_(static_cast<std::size_t>(kSpan) * w), sums_(w) {
    for (int r = 0; r < std::min(kReach, h); ++r) Add(r);
  }

  // Moves the rows summed on by one, to those within reach of row r.
  void CentreOn(int r) {
    if (r - kReach - 1 >= 0) Subtract(r - kReach - 1);
    if (r + kReach < h_) Add(r + kReach);
  }
  const std::vector<Difference>& Sums() const { return sums_; }

 private:
  Difference* RowInRing(int r) { return ring_.data() + static_cast<std::size_t>(r % kSpan) * w_; }

  void Add(int r) {
    const unsigned char* a = current_.Row(r);
    const unsigned char* b = previous_.Row(r);
    Difference* row = RowInRing(r);
    for (int x = 0; x < w_; ++x) {
      row[x] = PixelDifference(a + 3 * x, b + 3 * x);
      sums_[x].Add(row[x], 1);
    }
  }
  void Subtract(int r) {
    const Difference* row = RowInRing(r);
    for (int x = 0; x < w_; ++x) sums_[x].Add(row[x], -1);
  }

  const PictureHolder& current_;
  const PictureHolder& previous_;
  const int w_;
  const int h_;
  std::vector<Difference> ring_;
  std::vector<Difference> sums_;
};

struct Span {
  int first;
  int last;  // -1: none changed
};

// The first and last changed column of a row, from the column sums of the
// rows within reach of it.
Span ChangedSpan(const std::vector<Difference>& sums, int w, int rowsSummed, int tolerance) {
  Span span{w, -1};
  Difference window;
  for (int x = 0; x < std::min(kReach, w); ++x) window.Add(sums[x], 1);
  for (int x = 0; x < w; ++x) {
    if (x + kReach < w) window.Add(sums[x + kReach], 1);
    if (x - kReach - 1 >= 0) window.Add(sums[x - kReach - 1], -1);
    if (!window.Exceeds(tolerance, rowsSummed * WithinReach(x, w))) continue;
    span.first = std::min(span.first, x);
    span.last = x;
  }
  return span;
}

// Widens the region to the blocks of a JPEG of the whole picture (its grid
// starts at the top left): blocks that did not change are then coded as the
// whole picture coded them, instead of being shifted against edges nearby.
void AlignToBlocks(ChangedRegion& region, int w, int h) {
  const auto down = [](int v) { return v - v % kBlock; };
  const auto up = [](int v, int n) { return std::min(n - 1, v - v % kBlock + kBlock - 1); };
  const int top = down(h - 1 - region.maxR);
  const int bottom = up(h - 1 - region.minR, h);
  region.minX = down(region.minX);
  region.maxX = up(region.maxX, w);
  region.maxR = h - 1 - top;
  region.minR = h - 1 - bottom;
}

}  // namespace

ChangedRegion FindNoiseTolerantRegion(const PictureHolder& current, const PictureHolder& previous, int w, int h,
                                      int tolerance) {
  ChangedRegion region{false, w + 10, -10, h + 10, -10};
  ColumnSums columns(current, previous, w, h);
  for (int r = 0; r < h; ++r) {
    columns.CentreOn(r);
    const Span span = ChangedSpan(columns.Sums(), w, WithinReach(r, h), tolerance);
    if (span.last < 0) continue;
    region.changed = true;
    region.minX = std::min(region.minX, span.first);
    region.maxX = std::max(region.maxX, span.last);
    region.minR = std::min(region.minR, r);
    region.maxR = std::max(region.maxR, r);
  }
  if (region.changed) AlignToBlocks(region, w, h);
  return region;
}
