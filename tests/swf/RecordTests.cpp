#include <functional>
#include <ostream>
#include <string>

#include "swf/swf.h"
#include "tests/swf/ByteMatch.h"

namespace {

struct RecordCase {
  std::string name;
  std::function<void(FSWFStream&)> write;
  Bytes expected;
};

void PrintTo(const RecordCase& c, std::ostream* os) { *os << c.name; }

class Records : public ::testing::TestWithParam<RecordCase> {};

TEST_P(Records, WriteExactBytes) {
  FSWFStream stream;
  GetParam().write(stream);
  EXPECT_TRUE(SameBytes(StreamBytes(stream), GetParam().expected));
}

RecordCase Rect(std::string name, FRect rect, Bytes expected) {
  return {std::move(name), [rect](FSWFStream& s) { rect.WriteTo(s); }, std::move(expected)};
}

RecordCase Matrix(std::string name, FMatrix matrix, Bytes expected) {
  return {std::move(name), [matrix](FSWFStream& s) { matrix.WriteTo(s); }, std::move(expected)};
}

RecordCase Color(std::string name, FColor color, Bytes expected) {
  return {std::move(name), [color](FSWFStream& s) { color.WriteTo(s); }, std::move(expected)};
}

FColor WithAlpha(FColor color) {
  color.hasAlpha = true;
  return color;
}

INSTANTIATE_TEST_SUITE_P(
    BasicRecords, Records,
    ::testing::Values(
        // 00001 | 0 0 0 0 | 000
        Rect("EmptyRect", FRect(0, 0, 0, 0), {0x08, 0x00}),
        // 01111 | 000000000000000 | 010101011111000 | 000000000000000 | 001111101000000 | 0000
        Rect("RectArgumentsInConstructorOrder", FRect(0, 0, 11000, 8000),
             {0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00}),
        // 00110 | 101100 010100 101100 010100 | 000
        Rect("NegativeRectEdges", FRect(-20, -20, 20, 20), {0x35, 0x8A, 0x58, 0xA0}),
        // -16 needs 6 bits: 00110 | 110000 000000 000000 000000 | 000
        Rect("MinusSixteenTakesSixBits", FRect(-16, 0, 0, 0), {0x36, 0x00, 0x00, 0x00}),
        // 1 | 10110 | 0101000000000000000000 x2 | 0 | 00001 0 0 | 000000
        Matrix("ScaleTwenty", FMatrix(1, 0x140000, 0x140000, 0, 0, 0, 0, 0),
               {0xD9, 0x40, 0x00, 0x05, 0x00, 0x00, 0x01, 0x00}),
        // ... | 0 | 01010 | 0011001000 0110010000 | 0
        Matrix("ScaleAndTranslation", FMatrix(1, 0x140000, 0x140000, 0, 0, 0, 200, 400),
               {0xD9, 0x40, 0x00, 0x05, 0x00, 0x00, 0x0A, 0x32, 0x19, 0x00}),
        // 0 | 0 | 00001 0 0 | 0000000
        Matrix("IdentityIsTwoBytes", FMatrix(0, 0, 0, 0, 0, 0, 0, 0), {0x02, 0x00}),
        // 0 | 0 | 00010 11 01 | 00000
        Matrix("SmallNegativeTranslation", FMatrix(0, 0, 0, 0, 0, 0, -1, 1), {0x05, 0xA0}),
        // rotate terms without their flag are not written
        Matrix("RotateTermsWithoutFlag", FMatrix(0, 0, 0, 0, 0x10000, -0x10000, 0, 0), {0x02, 0x00}),
        // 0 | 1 | 10010 | 010000000000000000 110000000000000000 | 00001 0 0 | 000000
        Matrix("RotateOnly", FMatrix(0, 0, 0, 1, 0x10000, -0x10000, 0, 0), {0x64, 0x80, 0x00, 0x60, 0x00, 0x01, 0x00}),
        Color("White", FColor(255, 255, 255), {0xFF, 0xFF, 0xFF}),
        Color("WhiteWithAlpha", WithAlpha(FColor(255, 255, 255)), {0xFF, 0xFF, 0xFF, 0xFF}),
        Color("ComponentCutToLowBits", FColor(0x1FF, 0, 0), {0xFF, 0x00, 0x00}),
        Color("ComponentsInOrder", FColor(1, 2, 3), {0x01, 0x02, 0x03})),
    [](const auto& info) { return info.param.name; });

TEST(BasicRecordsAlignment, RectAndMatrixAlignAfterThemselves) {
  FSWFStream stream;
  FRect(0, 0, 0, 0).WriteTo(stream);
  FMatrix(0, 0, 0, 0, 0, 0, 0, 0).WriteTo(stream);
  stream.WriteByte(0xAB);  // lands on a boundary: nothing pending after the records
  EXPECT_TRUE(SameBytes(StreamBytes(stream), {0x08, 0x00, 0x02, 0x00, 0xAB}));
}

TEST(BasicRecordsAlignment, ColorDoesNotAlign) {
  FSWFStream stream;
  stream.WriteBits(1, 1);
  FColor(0, 0, 0xFF).WriteTo(stream);
  stream.FlushBits();
  // 1 | 00000000 00000000 11111111 | 0000000
  EXPECT_TRUE(SameBytes(StreamBytes(stream), {0x80, 0x00, 0x7F, 0x80}));
}

}  // namespace
