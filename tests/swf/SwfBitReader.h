#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A RECT record's four edges, twips.
struct SwfRect {
  std::int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
};

// A MATRIX record; absent groups stay 0.
struct SwfMatrix {
  bool hasScale = false;
  std::int32_t scaleX = 0, scaleY = 0;
  bool hasRotate = false;
  std::int32_t rotateSkew0 = 0, rotateSkew1 = 0;
  std::int32_t translateX = 0, translateY = 0;
};

// Reads SWF bit fields (most significant bit first) and little-endian
// integers from a byte range; reading past the end sets a flag, never throws.
class SwfBitReader {
 public:
  SwfBitReader(const std::vector<std::uint8_t>& bytes, std::size_t start) : bytes(bytes), pos(start) {}

  std::uint32_t Bits(unsigned n);
  std::int32_t SignedBits(unsigned n);
  void Align();
  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U32();
  // Both records start and end on a byte boundary.
  SwfRect ReadRect();
  SwfMatrix ReadMatrix();
  std::size_t Position() const { return pos; }
  bool Overrun() const { return overrun; }

 private:
  const std::vector<std::uint8_t>& bytes;
  std::size_t pos;
  unsigned bit = 0;  // bits already used of bytes[pos]
  bool overrun = false;
};
