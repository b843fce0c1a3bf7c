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

// Compressed streams. Head body: format byte; compression(4) rate(2) size(1)
// type(1); sample count; for MP3 (compression 2) only, the latency seek.
struct CompressedHeadCase {
  std::string name;
  std::uint8_t compression, rate, size, type;
  std::uint16_t sampleCount;
  std::int16_t latencySeek;
  Bytes expected;
};

void PrintTo(const CompressedHeadCase& c, std::ostream* os) { *os << c.name; }

class CompressedSoundHeads : public ::testing::TestWithParam<CompressedHeadCase> {};

TEST_P(CompressedSoundHeads, WriteTheLatencySeekOnlyForMp3) {
  const CompressedHeadCase& c = GetParam();
  const FDTSoundStreamHead2 head(1, c.compression, c.rate, c.size, c.type, c.sampleCount, c.latencySeek);
  EXPECT_TRUE(SameBytes(TagBytes(head), c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    StreamSound, CompressedSoundHeads,
    ::testing::Values(
        // 0001 01 1 0 = 0x16; 2200 = 0x0898; no seek: 4-byte body, header 0000101101 000100
        CompressedHeadCase{"AdpcmMono11k", 1, 1, 1, 0, 2200, 999, {0x44, 0x0B, 0x01, 0x16, 0x98, 0x08}},
        // 0010 11 1 1 = 0x2F; 8820 = 0x2274; seek 1105 = 0x0451; header 0000101101 000110
        CompressedHeadCase{"Mp3Stereo44k", 2, 3, 1, 1, 8820, 1105, {0x46, 0x0B, 0x01, 0x2F, 0x74, 0x22, 0x51, 0x04}},
        // 0010 01 1 0 = 0x26; 441 = 0x01B9; seek -1 = 0xFFFF
        CompressedHeadCase{"Mp3NegativeSeek", 2, 1, 1, 0, 441, -1, {0x46, 0x0B, 0x01, 0x26, 0xB9, 0x01, 0xFF, 0xFF}}),
    [](const auto& info) { return info.param.name; });

struct Mp3BlockCase {
  std::string name;
  Mp3BlockHead head;
  Bytes frames;
  Bytes expected;
};

void PrintTo(const Mp3BlockCase& c, std::ostream* os) { *os << c.name; }

class Mp3Blocks : public ::testing::TestWithParam<Mp3BlockCase> {};

TEST_P(Mp3Blocks, PutSampleCountAndSeekBeforeTheFrames) {
  const Mp3BlockCase& c = GetParam();
  const FDTSoundStreamBlock block(c.head, static_cast<std::uint32_t>(c.frames.size()),
                                  c.frames.empty() ? nullptr : c.frames.data());
  EXPECT_TRUE(SameBytes(TagBytes(block), c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    StreamSound, Mp3Blocks,
    ::testing::Values(
        // 0000010011 000111: 7 bytes; 2304 = 0x0900; seek 529 = 0x0211
        Mp3BlockCase{
            "TwoFrames", {2304, 529}, {0xAA, 0xBB, 0xCC}, {0xC7, 0x04, 0x00, 0x09, 0x11, 0x02, 0xAA, 0xBB, 0xCC}},
        // 0000010011 000100: only the count 0 and seek 100 = 0x0064
        Mp3BlockCase{"NoFrameYet", {0, 100}, {}, {0xC4, 0x04, 0x00, 0x00, 0x64, 0x00}},
        // 59 frame bytes + 4 = 63: long form, 0000010011 111111 then 63
        Mp3BlockCase{"LongHeaderCountsTheHead",
                     {576, -576},
                     Bytes(59, 0x11),
                     Join({{0xFF, 0x04, 0x3F, 0x00, 0x00, 0x00, 0x40, 0x02, 0xC0, 0xFD}, Bytes(59, 0x11)})}),
    [](const auto& info) { return info.param.name; });

TEST(StreamSound, MovieKeepsTheBytesItsTagsBorrow) {
  // Many buffers, so the keeper's own storage moves while tags point into it.
  FObjCollection movie;
  Bytes expected;
  for (std::uint8_t i = 0; i < 100; ++i) {
    const unsigned char* data = movie.Keep(std::vector<unsigned char>{i, i});
    movie.AddObject(std::make_unique<FDTSoundStreamBlock>(2, data));
    expected.insert(expected.end(), {0xC2, 0x04, i, i});  // 0000010011 000010
    auto owned = std::make_unique<unsigned char[]>(1);
    owned[0] = i;
    const unsigned char* single = movie.Keep(std::move(owned));
    movie.AddObject(std::make_unique<FDTSoundStreamBlock>(1, single));
    expected.insert(expected.end(), {0xC1, 0x04, i});
  }
  FSWFStream stream;
  movie.WriteObjects(stream);
  EXPECT_TRUE(SameBytes(StreamBytes(stream), expected));
}

TEST(StreamSound, TagsTakeNoCharacterID) {
  ResetCharacterIDs();
  const FDTSoundStreamHead2 head(1, 0, 0, 0, 0, 1);
  const FDTSoundStreamBlock block(0, nullptr);
  EXPECT_EQ(NextCharacterID(), 1);
}

}  // namespace
