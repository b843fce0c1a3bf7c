#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "swf/swf.h"
#include "tests/swf/ByteMatch.h"

namespace {

const Bytes tinyJpeg{0xFF, 0xD8, 0xFF, 0xD9};

TEST(JpegBitmap, SmallPictureTakesShortHeader) {
  ResetCharacterIDs();
  const FDTDefineBitsJPEG2 bitmap(tinyJpeg.data(), 4);
  // 0000010101 001100: code 21, 12 bytes
  EXPECT_TRUE(SameBytes(TagBytes(bitmap),
                        {0x4C, 0x05, 0x01, 0x00, 0xFF, 0xD9, 0xFF, 0xD8, 0xFF, 0xD8, 0xFF, 0xD9, 0xFF, 0xD9}));
}

TEST(JpegBitmap, LargePictureTakesLongHeader) {
  ResetCharacterIDs();
  NextCharacterID();
  NextCharacterID();
  Bytes picture(10000);
  for (std::size_t i = 0; i < picture.size(); ++i) {
    picture[i] = static_cast<std::uint8_t>(i * 7);
  }
  const FDTDefineBitsJPEG2 bitmap(picture.data(), 10000);
  EXPECT_EQ(bitmap.GetCharacterID(), 3);
  // 0000010101 111111, then 10008 = 0x2718
  const Bytes expected =
      Join({{0x7F, 0x05, 0x18, 0x27, 0x00, 0x00, 0x03, 0x00, 0xFF, 0xD9, 0xFF, 0xD8}, picture, {0xFF, 0xD9}});
  EXPECT_TRUE(SameBytes(TagBytes(bitmap), expected));
}

struct HeaderCase {
  std::uint32_t dataSize;
  Bytes header;
};

void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.dataSize; }

class JpegHeaders : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(JpegHeaders, BodyIsDataSizePlusEight) {
  const Bytes picture(GetParam().dataSize, 0x33);
  ResetCharacterIDs();
  const FDTDefineBitsJPEG2 bitmap(picture.empty() ? nullptr : picture.data(), GetParam().dataSize);
  const Bytes expected = Join({GetParam().header, {0x01, 0x00, 0xFF, 0xD9, 0xFF, 0xD8}, picture, {0xFF, 0xD9}});
  EXPECT_TRUE(SameBytes(TagBytes(bitmap), expected));
}

INSTANTIATE_TEST_SUITE_P(JpegBitmap, JpegHeaders,
                         ::testing::Values(HeaderCase{0, {0x48, 0x05}},   // 8 bytes
                                           HeaderCase{54, {0x7E, 0x05}},  // 62 bytes
                                           HeaderCase{55, {0x7F, 0x05, 0x3F, 0x00, 0x00, 0x00}}),
                         [](const auto& info) { return "DataSize" + std::to_string(info.param.dataSize); });

TEST(JpegBitmap, PictureIsReferencedNotCopied) {
  const Bytes picture(500, 0x44);
  const FDTDefineBitsJPEG2 bitmap(picture.data(), 500);
  FSWFStream stream;
  bitmap.WriteTo(stream);
  ASSERT_EQ(stream.LargeDataRecords().size(), 1u);
  EXPECT_EQ(stream.LargeDataRecords().front().data, picture.data());
  EXPECT_EQ(stream.LargeDataRecords().front().position, 6u + 6u);  // long header, ID, markers
  EXPECT_EQ(stream.ByteCount(), 6u + 8u);
}

struct HeadCase {
  std::string name;
  std::uint8_t rate;
  std::uint8_t size;
  std::uint8_t type;
  std::uint16_t sampleCount;
  Bytes expected;
};

void PrintTo(const HeadCase& c, std::ostream* os) { *os << c.name; }

class SoundHeads : public ::testing::TestWithParam<HeadCase> {};

TEST_P(SoundHeads, WriteExactBytes) {
  const HeadCase& c = GetParam();
  const FDTSoundStreamHead2 head(1, 0, c.rate, c.size, c.type, c.sampleCount);
  EXPECT_TRUE(SameBytes(TagBytes(head), c.expected));
  EXPECT_EQ(head.GetCharacterID(), 0);
}

// Header 0000101101 000100; format byte 1; 0000 rate size type; count low byte first.
INSTANTIATE_TEST_SUITE_P(
    StreamSound, SoundHeads,
    ::testing::Values(
        // 0000 01 1 0; 2200 = 0x0898
        HeadCase{"Mono16Bit11kAt5Fps", 1, 1, 0, 11000 / 5, {0x44, 0x0B, 0x01, 0x06, 0x98, 0x08}},
        // 0000 11 0 1; 366 = 0x016E
        HeadCase{"Stereo8Bit44kAt120Fps", 3, 0, 1, 44000 / 120, {0x44, 0x0B, 0x01, 0x0D, 0x6E, 0x01}},
        // 0000 11 0 0; 44000 = 0xABE0
        HeadCase{"FullSecondCountStaysUnsigned", 3, 0, 0, 44000, {0x44, 0x0B, 0x01, 0x0C, 0xE0, 0xAB}},
        // 0000 01 1 0 from 5, 3, 2: only the low bits of each field
        HeadCase{"FieldsCutToTheirBits", 5, 3, 2, 0, {0x44, 0x0B, 0x01, 0x06, 0x00, 0x00}}),
    [](const auto& info) { return info.param.name; });

TEST(StreamSoundHead, WritesFormatByteAndCompressionAsGiven) {
  // 0001 1111 cut to 1111 | 00 | 0 | 0
  const FDTSoundStreamHead2 head(0x81, 0x1F, 0, 0, 0, 1);
  EXPECT_TRUE(SameBytes(TagBytes(head), {0x44, 0x0B, 0x81, 0xF0, 0x01, 0x00}));
}

struct BlockCase {
  std::uint32_t dataSize;
  Bytes header;
};

void PrintTo(const BlockCase& c, std::ostream* os) { *os << c.dataSize; }

class SoundBlocks : public ::testing::TestWithParam<BlockCase> {};

TEST_P(SoundBlocks, CarryTheSamplesVerbatim) {
  Bytes samples(GetParam().dataSize);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<std::uint8_t>(0x80 + i);
  }
  const FDTSoundStreamBlock block(GetParam().dataSize, samples.empty() ? nullptr : samples.data());
  EXPECT_TRUE(SameBytes(TagBytes(block), Join({GetParam().header, samples})));
  EXPECT_EQ(block.GetCharacterID(), 0);
}

// 0000010011 length
INSTANTIATE_TEST_SUITE_P(StreamSound, SoundBlocks,
                         ::testing::Values(BlockCase{0, {0xC0, 0x04}}, BlockCase{62, {0xFE, 0x04}},
                                           BlockCase{63, {0xFF, 0x04, 0x3F, 0x00, 0x00, 0x00}}),
                         [](const auto& info) { return "DataSize" + std::to_string(info.param.dataSize); });

TEST(StreamSound, TagsTakeNoCharacterID) {
  ResetCharacterIDs();
  const FDTSoundStreamHead2 head(1, 0, 0, 0, 0, 1);
  const FDTSoundStreamBlock block(0, nullptr);
  EXPECT_EQ(NextCharacterID(), 1);
}

}  // namespace
