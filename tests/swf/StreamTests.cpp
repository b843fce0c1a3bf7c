#include <climits>
#include <functional>
#include <ostream>
#include <string>

#include "swf/swf.h"
#include "tests/swf/ByteMatch.h"

namespace {

struct StreamCase {
  std::string name;
  std::function<void(FSWFStream&)> write;
  Bytes expected;
};

void PrintTo(const StreamCase& c, std::ostream* os) { *os << c.name; }

class StreamWrites : public ::testing::TestWithParam<StreamCase> {};

TEST_P(StreamWrites, ProduceExactBytes) {
  FSWFStream stream;
  GetParam().write(stream);
  stream.FlushBits();
  EXPECT_TRUE(SameBytes(StreamBytes(stream), GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    BitStream, StreamWrites,
    ::testing::Values(
        // 101 | 1 | 0000 padding
        StreamCase{"BitsPackMostSignificantFirst",
                   [](FSWFStream& s) {
                     s.WriteBits(5, 3);
                     s.WriteBits(1, 1);
                   },
                   {0xB0}},
        StreamCase{"NinthBitIsDropped", [](FSWFStream& s) { s.WriteBits(0x1FF, 8); }, {0xFF}},
        // 11111111 11111111 1 | 0000000
        StreamCase{"MinusOneIn17BitsIsAllOnes", [](FSWFStream& s) { s.WriteBits(-1, 17); }, {0xFF, 0xFF, 0x80}},
        StreamCase{"ZeroBitsWriteNothing", [](FSWFStream& s) { s.WriteBits(0xFFFF, 0); }, {}},
        StreamCase{"ThirtyTwoBits", [](FSWFStream& s) { s.WriteBits(0xABCDEF12u, 32); }, {0xAB, 0xCD, 0xEF, 0x12}},
        StreamCase{"WordIsLittleEndian", [](FSWFStream& s) { s.WriteWord(0x1234); }, {0x34, 0x12}},
        StreamCase{"DWordIsLittleEndian", [](FSWFStream& s) { s.WriteDWord(0x12345678); }, {0x78, 0x56, 0x34, 0x12}},
        StreamCase{"FlushOnAlignedStreamWritesNothing",
                   [](FSWFStream& s) {
                     s.WriteByte(0x7E);
                     s.FlushBits();
                   },
                   {0x7E}},
        // 1 | 11111111 | 0000000: a byte write does not align first
        StreamCase{"ByteAfterOneBitStraddlesTwoBytes",
                   [](FSWFStream& s) {
                     s.WriteBits(1, 1);
                     s.WriteByte(0xFF);
                   },
                   {0xFF, 0x80}},
        // 101 | 00110100 00010010 | 00000
        StreamCase{"WordAfterThreeBitsIsShifted",
                   [](FSWFStream& s) {
                     s.WriteBits(5, 3);
                     s.WriteWord(0x1234);
                   },
                   {0xA6, 0x82, 0x40}},
        StreamCase{"ShortTagHeaderWithoutBody", [](FSWFStream& s) { s.WriteTagHeader(1, 0); }, {0x40, 0x00}},
        // (1025 << 6) in 16 bits is 0x0040
        StreamCase{"TagCodeAbove1023LosesHighBits", [](FSWFStream& s) { s.WriteTagHeader(1025, 0); }, {0x40, 0x00}},
        // a length not matching the body is written as given
        StreamCase{"LengthIsTakenAsGiven",
                   [](FSWFStream& s) {
                     FSWFStream body;
                     body.WriteByte(0xEE);
                     s.WriteTagHeader(9, 3, &body);
                   },
                   {0x43, 0x02, 0xEE}}),
    [](const auto& info) { return info.param.name; });

struct HeaderCase {
  std::string name;
  std::uint16_t code;
  std::uint32_t bodySize;
  Bytes header;
};

void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.name; }

class TagHeaders : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(TagHeaders, PrecedeTheBody) {
  const HeaderCase& c = GetParam();
  FSWFStream body;
  Bytes bodyBytes;
  for (std::uint32_t i = 0; i < c.bodySize; ++i) {
    body.WriteByte(i + 1);
    bodyBytes.push_back(static_cast<std::uint8_t>(i + 1));
  }
  FSWFStream stream;
  stream.WriteTagHeader(c.code, body.Size(), &body);
  EXPECT_TRUE(SameBytes(StreamBytes(stream), Join({c.header, bodyBytes})));
}

INSTANTIATE_TEST_SUITE_P(BitStream, TagHeaders,
                         ::testing::Values(HeaderCase{"Code9Length3", 9, 3, {0x43, 0x02}},      // 0000001001 000011
                                           HeaderCase{"Length62IsShort", 2, 62, {0xBE, 0x00}},  // 0000000010 111110
                                           // 0000000010 111111, then 63 as 32 bits
                                           HeaderCase{"Length63IsLong", 2, 63, {0xBF, 0x00, 0x3F, 0x00, 0x00, 0x00}}),
                         [](const auto& info) { return info.param.name; });

TEST(BitStreamBlocks, AreSplicedAtTheirPositionWithoutCopying) {
  const Bytes block(1000, 0x5A);
  FSWFStream body;
  body.WriteByte(0xA1);  // A
  body.WriteByte(0xA2);
  body.AddLargeData(block.data(), static_cast<std::uint32_t>(block.size()));
  body.WriteByte(0xB1);  // B
  EXPECT_EQ(body.Size(), 2u + 1000u + 1u);

  FSWFStream parent;
  const Bytes k{1, 2, 3, 4, 5};
  for (std::uint8_t b : k) {
    parent.WriteByte(b);
  }
  parent.WriteTagHeader(7, body.Size(), &body);

  EXPECT_TRUE(body.LargeDataRecords().empty());
  ASSERT_EQ(parent.LargeDataRecords().size(), 1u);
  const FSWFStream::LargeData& record = parent.LargeDataRecords().front();
  EXPECT_EQ(record.position, 5u + 6u + 2u);
  EXPECT_EQ(record.data, block.data());
  EXPECT_EQ(record.size, 1000u);
  EXPECT_EQ(parent.ByteCount(), 5u + 6u + 3u);  // the block is not in the buffer
  EXPECT_EQ(parent.Size(), 5u + 6u + 1003u);
  // 0000000111 111111 = 0x01FF, then 1003 = 0x3EB
  const Bytes header{0xFF, 0x01, 0xEB, 0x03, 0x00, 0x00};
  EXPECT_TRUE(SameBytes(StreamBytes(parent), Join({k, header, {0xA1, 0xA2}, block, {0xB1}})));
  EXPECT_TRUE(parent.LargeDataRecords().empty());  // used up by the file write
}

TEST(BitStreamBlocks, KeepTheirOrderAcrossSeveralBlocks) {
  const Bytes first{0x11, 0x12};
  const Bytes second{0x21};
  FSWFStream body;
  body.AddLargeData(first.data(), 2);
  body.AddLargeData(second.data(), 1);
  body.WriteByte(0x99);
  FSWFStream parent;
  parent.AppendStream(body);
  EXPECT_TRUE(SameBytes(StreamBytes(parent), {0x11, 0x12, 0x21, 0x99}));
}

struct BitsCase {
  std::uint32_t magnitude;
  std::uint16_t extra;
  std::uint32_t bits;
};

void PrintTo(const BitsCase& c, std::ostream* os) { *os << c.magnitude << " " << c.extra; }

class BitsNeededTable : public ::testing::TestWithParam<BitsCase> {};

TEST_P(BitsNeededTable, IsBitLengthPlusExtra) {
  EXPECT_EQ(BitsNeeded(GetParam().magnitude, GetParam().extra), GetParam().bits);
}

INSTANTIATE_TEST_SUITE_P(BitStream, BitsNeededTable,
                         ::testing::Values(BitsCase{0, 1, 1}, BitsCase{0, 0, 0}, BitsCase{1, 1, 2}, BitsCase{1, 0, 1},
                                           BitsCase{2, 0, 2}, BitsCase{3, 0, 2}, BitsCase{255, 0, 8},
                                           BitsCase{256, 1, 10}, BitsCase{0x140000, 1, 22},
                                           BitsCase{0x7FFFFFFFu, 0, 31}, BitsCase{0xFFFFFFFFu, 0, 32}),
                         [](const auto& info) {
                           return "Magnitude" + std::to_string(info.param.magnitude) + "Extra" +
                                  std::to_string(info.param.extra);
                         });

TEST(BitStreamMaxAbs, TakesTheLargestMagnitude) {
  EXPECT_EQ(MaxAbs(-7, 3, 0, 5), 7);
  EXPECT_EQ(MaxAbs(1, 2, 3, -40), 40);
  EXPECT_EQ(MaxAbs(0, 0, 0, 0), 0);
  EXPECT_EQ(MaxAbs(INT_MAX, -INT_MAX, 0, 0), INT_MAX);
}

}  // namespace
