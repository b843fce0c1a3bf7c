// Bits appended most significant first, as SWF ADPCM data is laid out.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace soundenc {

class BitPacker {
 public:
  void Put(std::uint32_t value, int bits);
  // Appends bits [first, first + count) of data, counted from the first byte's top bit.
  void CopyBits(const std::uint8_t* data, std::int64_t first, std::int64_t count);
  // The bytes so far, the last one filled up with zero bits.
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  void PutBit(int bit);
  std::vector<std::uint8_t> bytes_;
  int used_ = 8;  // bits used in the last byte
};

}  // namespace soundenc
