#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "swf/swf.h"
#include "tests/swf/ByteMatch.h"

namespace {

std::unique_ptr<FMatrix> ScaleTwenty() {
  // D9 40 00 05 00 00 01 00
  return std::make_unique<FMatrix>(1, 0x140000, 0x140000, 0, 0, 0, 0, 0);
}

std::unique_ptr<FFillStyleBitmap> ClippedBitmap(std::uint16_t id) {
  return std::make_unique<FFillStyleBitmap>(0, id, ScaleTwenty());
}

// A fill style that counts its destruction.
class CountedFill : public FFillStyle {
 public:
  explicit CountedFill(int& destroyed) : destroyed(destroyed) {}
  ~CountedFill() override { ++destroyed; }
  void WriteTo(FSWFStream&) const override {}

 private:
  int& destroyed;
};

struct RecordCase {
  std::string name;
  std::function<std::unique_ptr<FShapeRec>()> make;
  std::uint32_t fillBits;
  std::uint32_t lineBits;
  Bytes expected;  // the record, then zero bits up to the boundary
};

void PrintTo(const RecordCase& c, std::ostream* os) { *os << c.name; }

class ShapeRecords : public ::testing::TestWithParam<RecordCase> {};

TEST_P(ShapeRecords, PackBitsWithoutAligning) {
  const RecordCase& c = GetParam();
  const std::unique_ptr<FShapeRec> record = c.make();
  record->SetFillBits(c.fillBits);
  record->SetLineBits(c.lineBits);
  FSWFStream stream;
  record->WriteTo(stream);
  stream.FlushBits();
  EXPECT_TRUE(SameBytes(StreamBytes(stream), c.expected));
}

std::unique_ptr<FShapeRec> Change(std::uint32_t newStyles, std::uint32_t line, std::uint32_t fill1, std::uint32_t fill0,
                                  std::uint32_t moveTo, std::int32_t dx, std::int32_t dy, std::uint32_t fillStyle0,
                                  std::uint32_t fillStyle1, std::uint32_t lineStyle) {
  return std::make_unique<FShapeRecChange>(newStyles, line, fill1, fill0, moveTo, dx, dy, fillStyle0, fillStyle1,
                                           lineStyle, nullptr, nullptr);
}

std::function<std::unique_ptr<FShapeRec>()> Edge(std::int32_t dx, std::int32_t dy) {
  return [dx, dy] { return std::make_unique<FShapeRecEdgeStraight>(dx, dy); };
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ShapeRecords,
    ::testing::Values(
        // 000101 | 00001 0 0 | 10 | 0
        RecordCase{
            "MoveToOriginWithFillStyle1", [] { return Change(0, 0, 1, 0, 1, 0, 0, 0, 2, 0); }, 2, 0, {0x14, 0x24}},
        // 001000 and no line index bits | 00
        RecordCase{"LineStyleWithZeroLineBits", [] { return Change(0, 1, 0, 0, 0, 0, 0, 0, 0, 5); }, 2, 0, {0x20}},
        // 000110 | fill 0 = 01 | fill 1 = 10 | 000000
        RecordCase{
            "FillStyle0BeforeFillStyle1", [] { return Change(0, 0, 1, 1, 0, 0, 0, 1, 2, 0); }, 2, 0, {0x19, 0x80}},
        // 000001 | 00111 | 1101100 0101000 | 0000000
        RecordCase{
            "NegativeMove", [] { return Change(0, 0, 0, 0, 1, -20, 40, 0, 0, 0); }, 0, 0, {0x04, 0xFB, 0x14, 0x00}},
        // 010000 | 00000000 | 00000000 | 0000 0000 | 00
        RecordCase{"MissingNewStyleArraysWriteEmptyOnes",
                   [] { return Change(1, 0, 0, 0, 0, 0, 0, 0, 0, 0); },
                   0,
                   0,
                   {0x40, 0x00, 0x00, 0x00}},
        // 11 | 0100 | 0 | 0 | 010100 | 00
        RecordCase{"HorizontalEdge", Edge(20, 0), 0, 0, {0xD0, 0x50}},
        // 11 | 0100 | 0 | 1 | 101100 | 00
        RecordCase{"VerticalEdge", Edge(0, -20), 0, 0, {0xD1, 0xB0}},
        // 11 | 0100 | 1 | 010100 011110 | 000000
        RecordCase{"GeneralEdge", Edge(20, 30), 0, 0, {0xD2, 0xA3, 0xC0}},
        RecordCase{"EndOfShape", [] { return std::make_unique<FShapeRecEnd>(); }, 0, 0, {0x00}}),
    [](const auto& info) { return info.param.name; });

TEST(ShapeRecordsPacking, EndRecordAlignsAfterAnEdge) {
  FSWFStream stream;
  FShapeRecEdgeStraight(20, 0).WriteTo(stream);
  FShapeRecEnd().WriteTo(stream);
  // 11 0100 0 0 010100 | 000000 | 0000
  EXPECT_TRUE(SameBytes(StreamBytes(stream), {0xD0, 0x50, 0x00}));
}

TEST(ShapeStyles, BitmapFillTypes) {
  FSWFStream stream;
  FFillStyleBitmap(1, 0x1234, std::make_unique<FMatrix>(0, 0, 0, 0, 0, 0, 0, 0)).WriteTo(stream);
  ClippedBitmap(0xFFFF)->WriteTo(stream);
  const Bytes expected{0x40, 0x34, 0x12, 0x02, 0x00,  // tiled, ID, identity matrix
                       0x41, 0xFF, 0xFF, 0xD9, 0x40, 0x00, 0x05, 0x00, 0x00, 0x01, 0x00};
  EXPECT_TRUE(SameBytes(StreamBytes(stream), expected));
}

struct ArrayCase {
  std::uint32_t count;
  Bytes countBytes;
};

void PrintTo(const ArrayCase& c, std::ostream* os) { *os << c.count; }

class FillStyleArrays : public ::testing::TestWithParam<ArrayCase> {};

TEST_P(FillStyleArrays, WriteCountThenStyles) {
  FFillStyleArray array;
  Bytes styles;
  for (std::uint32_t i = 1; i <= GetParam().count; ++i) {
    EXPECT_EQ(array.Add(std::make_unique<FFillStyleBitmap>(1, i, std::make_unique<FMatrix>(0, 0, 0, 0, 0, 0, 0, 0))),
              i);
    // tiled bitmap i, identity matrix
    styles.insert(styles.end(), {0x40, static_cast<std::uint8_t>(i), 0x00, 0x02, 0x00});
  }
  FSWFStream stream;
  array.WriteTo(stream);
  EXPECT_TRUE(SameBytes(StreamBytes(stream), Join({GetParam().countBytes, styles})));
}

INSTANTIATE_TEST_SUITE_P(Shapes, FillStyleArrays,
                         ::testing::Values(ArrayCase{0, {0x00}}, ArrayCase{1, {0x01}}, ArrayCase{254, {0xFE}},
                                           ArrayCase{255, {0xFF, 0xFF, 0x00}}),
                         [](const auto& info) { return "Count" + std::to_string(info.param.count); });

TEST(ShapeStyles, EmptyLineStyleArrayIsOneZeroByte) {
  FSWFStream stream;
  FLineStyleArray().WriteTo(stream);
  EXPECT_TRUE(SameBytes(StreamBytes(stream), {0x00}));
}

struct IndexBitsCase {
  std::uint32_t fillStyles;
  std::uint32_t bits;
};

void PrintTo(const IndexBitsCase& c, std::ostream* os) { *os << c.fillStyles; }

class IndexBits : public ::testing::TestWithParam<IndexBitsCase> {};

TEST_P(IndexBits, FitEveryIndexUpToTheCount) {
  auto fills = std::make_unique<FFillStyleArray>();
  for (std::uint32_t i = 0; i < GetParam().fillStyles; ++i) {
    fills->Add(ClippedBitmap(1));
  }
  const FShapeWStyle shape(std::move(fills), std::make_unique<FLineStyleArray>());
  EXPECT_EQ(shape.GetFillBits(), GetParam().bits);
  EXPECT_EQ(shape.GetLineBits(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Shapes, IndexBits,
                         ::testing::Values(IndexBitsCase{0, 0}, IndexBitsCase{1, 1}, IndexBitsCase{2, 2},
                                           IndexBitsCase{3, 2}, IndexBitsCase{4, 3}, IndexBitsCase{7, 3},
                                           IndexBitsCase{8, 4}),
                         [](const auto& info) { return "Styles" + std::to_string(info.param.fillStyles); });

// The picture rectangle of a 2 by 2 pixel picture at (0, 0) over bitmap 1.
std::unique_ptr<FDTDefineShape> PictureShape() {
  auto shape = std::make_unique<FDTDefineShape>(std::make_unique<FRect>(0, 0, 40, 40));
  EXPECT_EQ(shape->AddFillStyle(ClippedBitmap(0xFFFF)), 1u);
  EXPECT_EQ(shape->AddFillStyle(ClippedBitmap(1)), 2u);
  shape->FinishStyleArrays();
  shape->AddShapeRec(Change(0, 0, 1, 0, 1, 0, 0, 0, 2, 0));
  shape->AddShapeRec(std::make_unique<FShapeRecEdgeStraight>(20, 0));
  shape->AddShapeRec(std::make_unique<FShapeRecEdgeStraight>(0, 20));
  shape->AddShapeRec(std::make_unique<FShapeRecEdgeStraight>(-20, 0));
  shape->AddShapeRec(std::make_unique<FShapeRecEdgeStraight>(0, -20));
  shape->AddShapeRec(std::make_unique<FShapeRecEnd>());
  return shape;
}

TEST(ShapeDefinition, PictureRectangleIsByteExact) {
  ResetCharacterIDs();
  NextCharacterID();  // the bitmap's ID
  const std::unique_ptr<FDTDefineShape> shape = PictureShape();
  EXPECT_EQ(shape->GetCharacterID(), 2);
  const Bytes expected{0xAA, 0x00,                    // DefineShape, 42 bytes: 0000000010 101010
                       0x02, 0x00,                    // ID 2
                       0x38, 0x05, 0x00, 0x14, 0x00,  // bounds: 00111 | 0000000 0101000 0000000 0101000 | 000
                       0x02,                          // two fill styles
                       0x41, 0xFF, 0xFF, 0xD9, 0x40, 0x00, 0x05, 0x00, 0x00, 0x01, 0x00, 0x41, 0x01, 0x00, 0xD9, 0x40,
                       0x00, 0x05, 0x00, 0x00, 0x01, 0x00,
                       0x00,  // no line styles
                       0x20,  // nFillBits 0010, nLineBits 0000
                       // 000101 00001 0 0 10 | 11 0100 0 0 010100 | 11 0100 0 1 010100 |
                       // 11 0100 0 0 101100 | 11 0100 0 1 101100 | 000000 | 0
                       0x14, 0x25, 0xA0, 0xA6, 0x8A, 0x9A, 0x16, 0x68, 0xD8, 0x00};
  EXPECT_TRUE(SameBytes(TagBytes(*shape), expected));
}

TEST(ShapeDefinition, DestroysItsStylesInEitherState) {
  int destroyed = 0;
  {
    FDTDefineShape collecting(std::make_unique<FRect>(0, 0, 0, 0));
    collecting.AddFillStyle(std::make_unique<CountedFill>(destroyed));
    FDTDefineShape finished(std::make_unique<FRect>(0, 0, 0, 0));
    finished.AddFillStyle(std::make_unique<CountedFill>(destroyed));
    finished.FinishStyleArrays();
  }
  EXPECT_EQ(destroyed, 2);
}

TEST(ShapeDefinitionDeathTest, AddingARecordBeforeFinishingStylesStops) {
  FDTDefineShape shape(std::make_unique<FRect>(0, 0, 0, 0));
  EXPECT_DEATH(shape.AddShapeRec(std::make_unique<FShapeRecEnd>()),
               "FDTShapes.*Assertion `styleArraysFinished' failed");
}

TEST(ShapeDefinitionDeathTest, AddingAFillStyleAfterFinishingStops) {
  FDTDefineShape shape(std::make_unique<FRect>(0, 0, 0, 0));
  shape.FinishStyleArrays();
  EXPECT_DEATH(shape.AddFillStyle(ClippedBitmap(1)), "FDTShapes.*Assertion `!styleArraysFinished' failed");
}

}  // namespace
