#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "swf/swf.h"
#include "tests/swf/ByteMatch.h"

namespace {

// A colour transform that writes two marker bytes and counts its destruction.
class MarkerTransform : public FACXForm {
 public:
  explicit MarkerTransform(int& destroyed) : destroyed(destroyed) {}
  ~MarkerTransform() override { ++destroyed; }
  void WriteTo(FSWFStream& stream) const override {
    stream.WriteByte(0xAA);
    stream.WriteByte(0xBB);
  }

 private:
  int& destroyed;
};

std::unique_ptr<FMatrix> NoTransformMatrix() {
  return std::make_unique<FMatrix>(0, 0, 0, 0, 0, 0, 0, 0);  // writes 02 00
}

std::unique_ptr<std::string> Name(const std::string& text) { return std::make_unique<std::string>(text); }

struct TagCase {
  std::string name;
  std::function<std::unique_ptr<FObj>()> make;
  Bytes expected;
};

void PrintTo(const TagCase& c, std::ostream* os) { *os << c.name; }

class ControlTags : public ::testing::TestWithParam<TagCase> {};

TEST_P(ControlTags, WriteExactBytes) {
  const std::unique_ptr<FObj> tag = GetParam().make();
  EXPECT_TRUE(SameBytes(TagBytes(*tag), GetParam().expected));
  EXPECT_TRUE(SameBytes(TagBytes(*tag), GetParam().expected)) << "second write differs";
}

std::unique_ptr<FObj> WhiteBackgroundWithAlpha() {
  auto color = std::make_unique<FColor>(255, 255, 255);
  color->hasAlpha = true;
  return std::make_unique<FCTSetBackgroundColor>(std::move(color));
}

// PlaceObject2 headers: code 26 is 0000011010, so the short form is 0x0680 | length.
INSTANTIATE_TEST_SUITE_P(
    ControlTagBytes, ControlTags,
    ::testing::Values(
        TagCase{"ShowFrame", [] { return std::make_unique<FCTShowFrame>(); }, {0x40, 0x00}},
        TagCase{"BackgroundIsAlwaysRgb", WhiteBackgroundWithAlpha, {0x43, 0x02, 0xFF, 0xFF, 0xFF}},
        TagCase{"RemoveDepthOne", [] { return std::make_unique<FCTRemoveObject2>(1); }, {0x02, 0x07, 0x01, 0x00}},
        TagCase{"RemoveDepthLowByteFirst",
                [] { return std::make_unique<FCTRemoveObject2>(0x1234); },
                {0x02, 0x07, 0x34, 0x12}},
        // flags 00000110, depth 1, ID 3, matrix 02 00
        TagCase{"PlaceCharacterWithMatrix",
                [] {
                  return std::make_unique<FCTPlaceObject2>(0, 0, 1, 0, 1, 3, NoTransformMatrix(), nullptr, 0, nullptr,
                                                           0);
                },
                {0x87, 0x06, 0x06, 0x01, 0x00, 0x03, 0x00, 0x02, 0x00}},
        // flags 00000101, depth 1, matrix 05 A0
        TagCase{"MoveWithNewMatrix",
                [] {
                  return std::make_unique<FCTPlaceObject2>(
                      0, 0, 0, 1, 1, 9, std::make_unique<FMatrix>(0, 0, 0, 0, 0, 0, -1, 1), nullptr, 0, nullptr, 0);
                },
                {0x85, 0x06, 0x05, 0x01, 0x00, 0x05, 0xA0}},
        // flags 00100000, depth 2, name terminator
        TagCase{"EmptyNameIsOneZeroByte",
                [] { return std::make_unique<FCTPlaceObject2>(0, 0, 0, 0, 2, 0, nullptr, nullptr, 0, Name(""), 0); },
                {0x84, 0x06, 0x20, 0x02, 0x00, 0x00}},
        // flags 01100010, depth 1, ID 1, "ab" 0, clip depth 5
        TagCase{"NameComesBeforeClipDepth",
                [] { return std::make_unique<FCTPlaceObject2>(1, 0, 1, 0, 1, 1, nullptr, nullptr, 0, Name("ab"), 5); },
                {0x8A, 0x06, 0x62, 0x01, 0x00, 0x01, 0x00, 0x61, 0x62, 0x00, 0x05, 0x00}},
        // flags 00010001, depth 3, ratio 0x1234
        TagCase{
            "MoveWithRatio",
            [] { return std::make_unique<FCTPlaceObject2>(0, 1, 0, 1, 3, 0, nullptr, nullptr, 0x1234, nullptr, 0); },
            {0x85, 0x06, 0x11, 0x03, 0x00, 0x34, 0x12}},
        // no character: the ID is not written even when one is given
        TagCase{"CharacterIDOnlyWithItsFlag",
                [] { return std::make_unique<FCTPlaceObject2>(0, 0, 0, 0, 4, 77, nullptr, nullptr, 0, nullptr, 0); },
                {0x83, 0x06, 0x00, 0x04, 0x00}}),
    [](const auto& info) { return info.param.name; });

TEST(ControlTagPlacement, WritesMatrixThenTransformThenRatio) {
  int destroyed = 0;
  {
    const FCTPlaceObject2 place(0, 1, 1, 0, 1, 2, NoTransformMatrix(), std::make_unique<MarkerTransform>(destroyed), 7,
                                nullptr, 0);
    // flags 00011110, depth 1, ID 2, matrix, transform, ratio 7: 11 bytes
    EXPECT_TRUE(
        SameBytes(TagBytes(place), {0x8B, 0x06, 0x1E, 0x01, 0x00, 0x02, 0x00, 0x02, 0x00, 0xAA, 0xBB, 0x07, 0x00}));
    EXPECT_EQ(destroyed, 0);
  }
  EXPECT_EQ(destroyed, 1);
}

TEST(ControlTagPlacement, LongNameTakesLongHeader) {
  const std::string name(60, 'x');
  const FCTPlaceObject2 place(0, 0, 0, 0, 2, 0, nullptr, nullptr, 0, Name(name), 0);
  // flags + depth + 60 + terminator = 64 bytes: 0000011010 111111, then 64
  const Bytes expected =
      Join({{0xBF, 0x06, 0x40, 0x00, 0x00, 0x00, 0x20, 0x02, 0x00}, Bytes(name.begin(), name.end()), {0x00}});
  EXPECT_TRUE(SameBytes(TagBytes(place), expected));
}

}  // namespace
