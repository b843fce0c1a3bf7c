#pragma once

#include <cstdint>
#include <list>
#include <memory>

#include "swf/FObj.h"
#include "swf/FRecords.h"

class FSWFStream;

// A record of a shape's drawing; style change and edge records are packed
// bit after bit, only the end record aligns.
class FShapeRec {
 public:
  virtual ~FShapeRec() = default;
  virtual void WriteTo(FSWFStream& stream) const = 0;
  virtual void SetFillBits(std::uint32_t count) = 0;
  virtual void SetLineBits(std::uint32_t count) = 0;
};

class FAFillStyle {
 public:
  virtual ~FAFillStyle() = default;
  virtual void WriteTo(FSWFStream& stream) const = 0;
};

class FFillStyle : public FAFillStyle {};

// Bitmap fill: tiled (non-zero) or clipped (zero).
class FFillStyleBitmap : public FFillStyle {
 public:
  FFillStyleBitmap(std::uint32_t tiled, std::uint16_t bitmapID, std::unique_ptr<FMatrix> bitmapMatrix);
  void WriteTo(FSWFStream& stream) const override;

 private:
  std::uint32_t tiled;
  std::uint16_t bitmapID;
  std::unique_ptr<FMatrix> bitmapMatrix;
};

class FALineStyle {
 public:
  virtual ~FALineStyle() = default;
  virtual void WriteTo(FSWFStream& stream) const = 0;
};

class FFillStyleArray {
 public:
  FFillStyleArray() = default;
  virtual ~FFillStyleArray() = default;
  // Returns the new count: the 1-based index of the style just added.
  std::uint32_t Add(std::unique_ptr<FFillStyle> fillStyle);
  std::uint32_t Count() const { return static_cast<std::uint32_t>(styles.size()); }
  virtual void WriteTo(FSWFStream& stream) const;

 private:
  std::list<std::unique_ptr<FFillStyle>> styles;
};

// No concrete line style exists, so every line style array is empty.
class FLineStyleArray {
 public:
  FLineStyleArray() = default;
  std::uint32_t Count() const { return static_cast<std::uint32_t>(styles.size()); }
  void WriteTo(FSWFStream& stream) const;

 private:
  std::list<std::unique_ptr<FALineStyle>> styles;
};

// Style change record. The fill style 1 flag comes before the fill style 0
// flag, as in the written record; the two indices come in the order 0, 1.
class FShapeRecChange : public FShapeRec {
 public:
  FShapeRecChange(std::uint32_t stateNewStyles, std::uint32_t stateLineStyle, std::uint32_t stateFillStyle1,
                  std::uint32_t stateFillStyle0, std::uint32_t stateMoveTo, std::int32_t moveDeltaX,
                  std::int32_t moveDeltaY, std::uint32_t fillStyle0, std::uint32_t fillStyle1, std::uint32_t lineStyle,
                  std::unique_ptr<FFillStyleArray> fillStyles, std::unique_ptr<FLineStyleArray> lineStyles);
  void WriteTo(FSWFStream& stream) const override;
  void SetFillBits(std::uint32_t count) override { nFillBits = count; }
  void SetLineBits(std::uint32_t count) override { nLineBits = count; }

 private:
  void WriteNewStyles(FSWFStream& stream) const;

  std::uint32_t stateNewStyles;
  std::uint32_t stateLineStyle;
  std::uint32_t stateFillStyle0;
  std::uint32_t stateFillStyle1;
  std::uint32_t stateMoveTo;
  std::uint32_t nMoveBits;
  std::uint32_t nFillBits = 0;
  std::uint32_t nLineBits = 0;
  std::int32_t moveDeltaX;
  std::int32_t moveDeltaY;
  std::uint32_t fillStyle0;
  std::uint32_t fillStyle1;
  std::uint32_t lineStyle;
  std::unique_ptr<FFillStyleArray> fillStyles;
  std::unique_ptr<FLineStyleArray> lineStyles;
};

// Straight edge from the current drawing position, deltas in twips.
class FShapeRecEdgeStraight : public FShapeRec {
 public:
  FShapeRecEdgeStraight(std::int32_t dx, std::int32_t dy);
  void WriteTo(FSWFStream& stream) const override;
  void SetFillBits(std::uint32_t) override {}
  void SetLineBits(std::uint32_t) override {}

 private:
  std::uint32_t nBits = 0;
  std::uint32_t generalLineFlag = 0;
  std::int32_t generalDeltaX = 0;
  std::int32_t generalDeltaY = 0;
  std::uint32_t vertLineFlag = 0;
  std::int32_t deltaX = 0;
  std::int32_t deltaY = 0;
};

class FShapeRecEnd : public FShapeRec {
 public:
  void WriteTo(FSWFStream& stream) const override;
  void SetFillBits(std::uint32_t) override {}
  void SetLineBits(std::uint32_t) override {}
};

// SHAPEWITHSTYLE: the style arrays, their index bit counts and the records.
class FShapeWStyle {
 public:
  FShapeWStyle(std::unique_ptr<FFillStyleArray> fillStyles, std::unique_ptr<FLineStyleArray> lineStyles);
  void AddShapeRec(std::unique_ptr<FShapeRec> shapeRec);
  std::uint32_t GetFillBits() const { return nFillBits; }
  std::uint32_t GetLineBits() const { return nLineBits; }
  void WriteTo(FSWFStream& stream) const;

 private:
  std::unique_ptr<FFillStyleArray> fillStyles;
  std::unique_ptr<FLineStyleArray> lineStyles;
  std::uint32_t nFillBits;
  std::uint32_t nLineBits;
  std::list<std::unique_ptr<FShapeRec>> shapeRecords;
};

// DefineShape. Order of use: AddFillStyle..., FinishStyleArrays once,
// AddShapeRec... ending with an FShapeRecEnd; then WriteTo.
class FDTDefineShape : public FDT {
 public:
  explicit FDTDefineShape(std::unique_ptr<FRect> bounds);
  std::uint32_t AddFillStyle(std::unique_ptr<FFillStyle> fillStyle);
  void FinishStyleArrays();
  void AddShapeRec(std::unique_ptr<FShapeRec> shapeRec);
  void WriteTo(FSWFStream& stream) const override;
  std::uint16_t GetCharacterID() const override { return characterID; }

 private:
  std::uint16_t characterID;
  std::unique_ptr<FRect> bounds;
  std::unique_ptr<FShapeWStyle> shapeWithStyle;
  std::unique_ptr<FFillStyleArray> fillStyles;
  std::unique_ptr<FLineStyleArray> lineStyles;
  bool styleArraysFinished = false;
};
