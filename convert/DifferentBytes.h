// Where two rows of pixels first and last differ, found eight bytes at a time.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "the byte of a difference is found from its low bits");

// The first byte in [0, end) at which a and b differ; end when none does.
inline std::size_t FirstDifferentByte(const unsigned char* a, const unsigned char* b, std::size_t end) {
  std::size_t i = 0;
  for (; i + 8 <= end; i += 8) {
    std::uint64_t x = 0;
    std::uint64_t y = 0;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y) return i + static_cast<std::size_t>(std::countr_zero(x ^ y) / 8);
  }
  for (; i < end; ++i)
    if (a[i] != b[i]) return i;
  return end;
}

// The last byte in [begin, end) at which a and b differ; end when none does.
inline std::size_t LastDifferentByte(const unsigned char* a, const unsigned char* b, std::size_t begin,
                                     std::size_t end) {
  std::size_t i = end;
  for (; i >= begin + 8; i -= 8) {
    std::uint64_t x = 0;
    std::uint64_t y = 0;
    std::memcpy(&x, a + i - 8, 8);
    std::memcpy(&y, b + i - 8, 8);
    if (x != y) return i - 1 - static_cast<std::size_t>(std::countl_zero(x ^ y) / 8);
  }
  for (; i > begin; --i)
    if (a[i - 1] != b[i - 1]) return i - 1;
  return end;
}
