#include "media/soundenc/BitPacker.h"

namespace soundenc {

void BitPacker::PutBit(int bit) {
  if (used_ == 8) {
    bytes_.push_back(0);
    used_ = 0;
  }
  if (bit) bytes_.back() |= static_cast<std::uint8_t>(0x80 >> used_);
  ++used_;
}

void BitPacker::Put(std::uint32_t value, int bits) {
  for (int i = bits - 1; i >= 0; --i) PutBit((value >> i) & 1);
}

void BitPacker::CopyBits(const std::uint8_t* data, std::int64_t first, std::int64_t count) {
  for (std::int64_t i = first; i < first + count; ++i) PutBit((data[i / 8] >> (7 - i % 8)) & 1);
}

}  // namespace soundenc
