// The two shape-building programming errors must stop the program in every
// build, so assertions stay active here even when NDEBUG is set.
#undef NDEBUG
#include <cassert>

#include "swf/FDTShapes.h"

#include "swf/FSWFStream.h"
#include "swf/TagCodes.h"

namespace {
constexpr std::uint32_t tiledBitmapFill = 0x40;      // fill style type
constexpr std::uint32_t clippedBitmapFill = 0x41;    // fill style type
constexpr std::uint32_t extendedCountMarker = 0xFF;  // style count that a 16-bit count follows
constexpr std::uint32_t indexBitsWidth = 4;          // width of the fill/line index bit counts
constexpr std::uint32_t moveBitsWidth = 5;           // width of a move's bit count
constexpr std::uint32_t edgeBitsWidth = 4;           // width of an edge's bit count minus 2
constexpr std::uint32_t endOfShapeBits = 6;          // not an edge, no state flags
constexpr std::uint16_t signBit = 1;

std::uint32_t IndexBits(std::uint32_t count) { return BitsNeeded(count, 0); }

void WriteStyleCount(FSWFStream& stream, std::uint32_t count) {
  if (count < extendedCountMarker) {
    stream.WriteByte(count);
  } else {
    stream.WriteByte(extendedCountMarker);
    stream.WriteWord(count);
  }
}

void WriteSigned(FSWFStream& stream, std::int32_t value, std::uint32_t bits) {
  stream.WriteBits(static_cast<std::uint32_t>(value), bits);
}
}  // namespace

FFillStyleBitmap::FFillStyleBitmap(std::uint32_t tiled, std::uint16_t bitmapID, std::unique_ptr<FMatrix> bitmapMatrix)
    : tiled(tiled), bitmapID(bitmapID), bitmapMatrix(std::move(bitmapMatrix)) {}

void FFillStyleBitmap::WriteTo(FSWFStream& stream) const {
  stream.WriteByte(tiled != 0 ? tiledBitmapFill : clippedBitmapFill);
  stream.WriteWord(bitmapID);
  bitmapMatrix->WriteTo(stream);
}

std::uint32_t FFillStyleArray::Add(std::unique_ptr<FFillStyle> fillStyle) {
  styles.push_back(std::move(fillStyle));
  return Count();
}

void FFillStyleArray::WriteTo(FSWFStream& stream) const {
  WriteStyleCount(stream, Count());
  for (const std::unique_ptr<FFillStyle>& style : styles) {
    style->WriteTo(stream);
  }
}

void FLineStyleArray::WriteTo(FSWFStream& stream) const {
  WriteStyleCount(stream, Count());
  for (const std::unique_ptr<FALineStyle>& style : styles) {
    style->WriteTo(stream);
  }
}

FShapeRecChange::FShapeRecChange(std::uint32_t stateNewStyles, std::uint32_t stateLineStyle,
                                 std::uint32_t stateFillStyle1, std::uint32_t stateFillStyle0,
                                 std::uint32_t stateMoveTo, std::int32_t moveDeltaX, std::int32_t moveDeltaY,
                                 std::uint32_t fillStyle0, std::uint32_t fillStyle1, std::uint32_t lineStyle,
                                 std::unique_ptr<FFillStyleArray> fillStyles,
                                 std::unique_ptr<FLineStyleArray> lineStyles)
    : stateNewStyles(stateNewStyles),
      stateLineStyle(stateLineStyle),
      stateFillStyle0(stateFillStyle0),
      stateFillStyle1(stateFillStyle1),
      stateMoveTo(stateMoveTo),
      nMoveBits(BitsNeeded(static_cast<std::uint32_t>(MaxAbs(moveDeltaX, moveDeltaY, 0, 0)), signBit)),
      moveDeltaX(moveDeltaX),
      moveDeltaY(moveDeltaY),
      fillStyle0(fillStyle0),
      fillStyle1(fillStyle1),
      lineStyle(lineStyle),
      fillStyles(std::move(fillStyles)),
      lineStyles(std::move(lineStyles)) {}

void FShapeRecChange::WriteTo(FSWFStream& stream) const {
  stream.WriteBits(0, 1);  // not an edge
  stream.WriteBits(stateNewStyles, 1);
  stream.WriteBits(stateLineStyle, 1);
  stream.WriteBits(stateFillStyle1, 1);
  stream.WriteBits(stateFillStyle0, 1);
  stream.WriteBits(stateMoveTo, 1);
  if (stateMoveTo != 0) {
    stream.WriteBits(nMoveBits, moveBitsWidth);
    WriteSigned(stream, moveDeltaX, nMoveBits);
    WriteSigned(stream, moveDeltaY, nMoveBits);
  }
  if (stateFillStyle0 != 0) {
    stream.WriteBits(fillStyle0, nFillBits);
  }
  if (stateFillStyle1 != 0) {
    stream.WriteBits(fillStyle1, nFillBits);
  }
  if (stateLineStyle != 0) {
    stream.WriteBits(lineStyle, nLineBits);
  }
  if (stateNewStyles != 0) {
    WriteNewStyles(stream);
  }
}

void FShapeRecChange::WriteNewStyles(FSWFStream& stream) const {
  // A missing array is written as an empty one rather than dereferenced.
  const FFillStyleArray noFills;
  const FLineStyleArray noLines;
  const FFillStyleArray& fills = fillStyles ? *fillStyles : noFills;
  const FLineStyleArray& lines = lineStyles ? *lineStyles : noLines;
  fills.WriteTo(stream);
  lines.WriteTo(stream);
  stream.WriteBits(IndexBits(fills.Count()), indexBitsWidth);
  stream.WriteBits(IndexBits(lines.Count()), indexBitsWidth);
}

FShapeRecEdgeStraight::FShapeRecEdgeStraight(std::int32_t dx, std::int32_t dy) {
  if (dx != 0 && dy != 0) {
    generalLineFlag = 1;
    generalDeltaX = dx;
    generalDeltaY = dy;
  } else if (dx == 0) {
    vertLineFlag = 1;
    deltaY = dy;
  } else {
    deltaX = dx;
  }
  nBits = BitsNeeded(static_cast<std::uint32_t>(MaxAbs(generalDeltaX, generalDeltaY, deltaX, deltaY)), signBit);
}

void FShapeRecEdgeStraight::WriteTo(FSWFStream& stream) const {
  stream.WriteBits(1, 1);                      // edge
  stream.WriteBits(1, 1);                      // straight
  stream.WriteBits(nBits - 2, edgeBitsWidth);  // NumBits is stored less 2
  stream.WriteBits(generalLineFlag, 1);
  if (generalLineFlag != 0) {
    WriteSigned(stream, generalDeltaX, nBits);
    WriteSigned(stream, generalDeltaY, nBits);
  } else {
    stream.WriteBits(vertLineFlag, 1);
    WriteSigned(stream, vertLineFlag != 0 ? deltaY : deltaX, nBits);
  }
}

void FShapeRecEnd::WriteTo(FSWFStream& stream) const {
  stream.WriteBits(0, endOfShapeBits);
  stream.FlushBits();
}

FShapeWStyle::FShapeWStyle(std::unique_ptr<FFillStyleArray> fillStyles, std::unique_ptr<FLineStyleArray> lineStyles)
    : fillStyles(std::move(fillStyles)),
      lineStyles(std::move(lineStyles)),
      nFillBits(IndexBits(this->fillStyles->Count())),
      nLineBits(IndexBits(this->lineStyles->Count())) {}

void FShapeWStyle::AddShapeRec(std::unique_ptr<FShapeRec> shapeRec) { shapeRecords.push_back(std::move(shapeRec)); }

void FShapeWStyle::WriteTo(FSWFStream& stream) const {
  fillStyles->WriteTo(stream);
  lineStyles->WriteTo(stream);
  stream.WriteBits(nFillBits, indexBitsWidth);
  stream.WriteBits(nLineBits, indexBitsWidth);
  for (const std::unique_ptr<FShapeRec>& record : shapeRecords) {
    record->WriteTo(stream);
  }
  stream.FlushBits();
}

FDTDefineShape::FDTDefineShape(std::unique_ptr<FRect> bounds)
    : characterID(NextCharacterID()),
      bounds(std::move(bounds)),
      fillStyles(std::make_unique<FFillStyleArray>()),
      lineStyles(std::make_unique<FLineStyleArray>()) {}

std::uint32_t FDTDefineShape::AddFillStyle(std::unique_ptr<FFillStyle> fillStyle) {
  assert(!styleArraysFinished);
  return fillStyles->Add(std::move(fillStyle));
}

void FDTDefineShape::FinishStyleArrays() {
  // A second call would find no arrays left to move.
  assert(!styleArraysFinished);
  styleArraysFinished = true;
  shapeWithStyle = std::make_unique<FShapeWStyle>(std::move(fillStyles), std::move(lineStyles));
}

void FDTDefineShape::AddShapeRec(std::unique_ptr<FShapeRec> shapeRec) {
  assert(styleArraysFinished);
  shapeRec->SetFillBits(shapeWithStyle->GetFillBits());
  shapeRec->SetLineBits(shapeWithStyle->GetLineBits());
  shapeWithStyle->AddShapeRec(std::move(shapeRec));
}

void FDTDefineShape::WriteTo(FSWFStream& stream) const {
  // Writing a shape whose style arrays were never finished has nothing to write.
  assert(styleArraysFinished);
  FSWFStream body;
  body.WriteWord(characterID);
  bounds->WriteTo(body);
  shapeWithStyle->WriteTo(body);
  stream.WriteTagHeader(TagCode::DefineShape, body.Size(), &body);
}
