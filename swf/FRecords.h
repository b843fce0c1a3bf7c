#pragma once

#include <cstdint>

class FSWFStream;

// RECT record; aligns the stream after itself.
class FRect {
 public:
  FRect(std::int32_t xMin, std::int32_t yMin, std::int32_t xMax, std::int32_t yMax);
  void WriteTo(FSWFStream& stream) const;

 private:
  std::int32_t xMin;
  std::int32_t xMax;
  std::int32_t yMin;
  std::int32_t yMax;
};

// MATRIX record (16.16 scale and rotate terms, translation in twips);
// aligns the stream after itself.
class FMatrix {
 public:
  FMatrix(std::uint32_t hasScale, std::int32_t scaleX, std::int32_t scaleY, std::uint32_t hasRotate,
          std::int32_t rotateSkew0, std::int32_t rotateSkew1, std::int32_t translateX, std::int32_t translateY);
  void WriteTo(FSWFStream& stream) const;

 private:
  std::uint32_t hasScale;
  std::uint32_t nScaleBits;
  std::int32_t scaleX;
  std::int32_t scaleY;
  std::uint32_t hasRotate;
  std::uint32_t nRotateBits;
  std::int32_t rotateSkew0;
  std::int32_t rotateSkew1;
  std::uint32_t nTranslateBits;
  std::int32_t translateX;
  std::int32_t translateY;
};

// RGB colour, or RGBA when the owner sets hasAlpha.
class FColor {
 public:
  FColor(std::uint32_t red, std::uint32_t green, std::uint32_t blue);
  void WriteTo(FSWFStream& stream) const;

  std::uint32_t red;
  std::uint32_t green;
  std::uint32_t blue;
  std::uint32_t alpha = 255;
  bool hasAlpha = false;
};

// Colour transform with alpha; only the interface exists.
class FACXForm {
 public:
  virtual ~FACXForm() = default;
  virtual void WriteTo(FSWFStream& stream) const = 0;
};
