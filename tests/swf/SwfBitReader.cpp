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

SwfRect SwfBitReader::ReadRect() {
  Align();
  SwfRect rect;
  const unsigned n = Bits(5);
  rect.xMin = SignedBits(n);
  rect.xMax = SignedBits(n);
  rect.yMin = SignedBits(n);
  rect.yMax = SignedBits(n);
  Align();
  return rect;
}

SwfMatrix SwfBitReader::ReadMatrix() {
  Align();
  SwfMatrix matrix;
  matrix.hasScale = Bits(1) != 0;
  if (matrix.hasScale) {
    const unsigned n = Bits(5);
    matrix.scaleX = SignedBits(n);
    matrix.scaleY = SignedBits(n);
  }
  matrix.hasRotate = Bits(1) != 0;
  if (matrix.hasRotate) {
    const unsigned n = Bits(5);
    matrix.rotateSkew0 = SignedBits(n);
    matrix.rotateSkew1 = SignedBits(n);
  }
  const unsigned n = Bits(5);
  matrix.translateX = SignedBits(n);
  matrix.translateY = SignedBits(n);
  Align();
  return matrix;
}
