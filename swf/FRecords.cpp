#include "swf/FRecords.h"

#include "swf/FSWFStream.h"

namespace {
constexpr std::uint32_t countBits = 5;  // width of a record's bit-count field
constexpr std::uint16_t signBit = 1;    // extra bit of a signed field group

std::uint32_t SignedBits(std::int32_t a, std::int32_t b, std::int32_t c = 0, std::int32_t d = 0) {
  return BitsNeeded(static_cast<std::uint32_t>(MaxAbs(a, b, c, d)), signBit);
}

void WriteSigned(FSWFStream& stream, std::int32_t value, std::uint32_t bits) {
  stream.WriteBits(static_cast<std::uint32_t>(value), bits);
}
}  // namespace

FRect::FRect(std::int32_t xMin, std::int32_t yMin, std::int32_t xMax, std::int32_t yMax)
    : xMin(xMin), xMax(xMax), yMin(yMin), yMax(yMax) {}

void FRect::WriteTo(FSWFStream& stream) const {
  const std::uint32_t n = SignedBits(xMin, xMax, yMin, yMax);
  stream.WriteBits(n, countBits);
  WriteSigned(stream, xMin, n);
  WriteSigned(stream, xMax, n);
  WriteSigned(stream, yMin, n);
  WriteSigned(stream, yMax, n);
  stream.FlushBits();
}

FMatrix::FMatrix(std::uint32_t hasScale, std::int32_t scaleX, std::int32_t scaleY, std::uint32_t hasRotate,
                 std::int32_t rotateSkew0, std::int32_t rotateSkew1, std::int32_t translateX, std::int32_t translateY)
    : hasScale(hasScale),
      nScaleBits(SignedBits(scaleX, scaleY)),
      scaleX(scaleX),
      scaleY(scaleY),
      hasRotate(hasRotate),
      nRotateBits(SignedBits(rotateSkew0, rotateSkew1)),
      rotateSkew0(rotateSkew0),
      rotateSkew1(rotateSkew1),
      nTranslateBits(SignedBits(translateX, translateY)),
      translateX(translateX),
      translateY(translateY) {}

void FMatrix::WriteTo(FSWFStream& stream) const {
  stream.WriteBits(hasScale, 1);
  if (hasScale != 0) {
    stream.WriteBits(nScaleBits, countBits);
    WriteSigned(stream, scaleX, nScaleBits);
    WriteSigned(stream, scaleY, nScaleBits);
  }
  stream.WriteBits(hasRotate, 1);
  if (hasRotate != 0) {
    stream.WriteBits(nRotateBits, countBits);
    WriteSigned(stream, rotateSkew0, nRotateBits);
    WriteSigned(stream, rotateSkew1, nRotateBits);
  }
  stream.WriteBits(nTranslateBits, countBits);
  WriteSigned(stream, translateX, nTranslateBits);
  WriteSigned(stream, translateY, nTranslateBits);
  stream.FlushBits();
}

FColor::FColor(std::uint32_t red, std::uint32_t green, std::uint32_t blue) : red(red), green(green), blue(blue) {}

void FColor::WriteTo(FSWFStream& stream) const {
  stream.WriteByte(red);
  stream.WriteByte(green);
  stream.WriteByte(blue);
  if (hasAlpha) {
    stream.WriteByte(alpha);
  }
}
