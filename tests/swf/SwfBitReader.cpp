#include "tests/swf/SwfBitReader.h"

std::uint32_t SwfBitReader::Bits(unsigned n) {
  std::uint32_t value = 0;
  for (unsigned i = 0; i < n; ++i) {
    if (pos >= bytes.size()) {
      overrun = true;
      return 0;
    }
    const unsigned bitValue = (bytes[pos] >> (7 - bit)) & 1u;
    value = (value << 1) | bitValue;
    if (++bit == 8) {
      bit = 0;
      ++pos;
    }
  }
  return value;
}

std::int32_t SwfBitReader::SignedBits(unsigned n) {
  const std::uint32_t raw = Bits(n);
  if (n == 0 || n >= 32) {
    return static_cast<std::int32_t>(raw);
  }
  const std::uint32_t signMask = 1u << (n - 1);
  return static_cast<std::int32_t>((raw ^ signMask) - signMask);
}

void SwfBitReader::Align() {
  if (bit != 0) {
    bit = 0;
    ++pos;
  }
}

std::uint8_t SwfBitReader::U8() {
  Align();
  return static_cast<std::uint8_t>(Bits(8));
}

std::uint16_t SwfBitReader::U16() {
  const std::uint32_t low = U8();
  return static_cast<std::uint16_t>(low | (std::uint32_t{U8()} << 8));
}

std::uint32_t SwfBitReader::U32() {
  const std::uint32_t low = U16();
  return low | (std::uint32_t{U16()} << 16);
}

void SwfBitReader::SkipMatrix() {
  Align();
  if (Bits(1) != 0) {  // has scale
    const unsigned n = Bits(5);
    Bits(n);
    Bits(n);
  }
  if (Bits(1) != 0) {  // has rotate
    const unsigned n = Bits(5);
    Bits(n);
    Bits(n);
  }
  const unsigned n = Bits(5);
  Bits(n);
  Bits(n);
  Align();
}
