#include <climits>
#include <cstring>

#include "PictavoTestSupport.h"

namespace {

using Newdib = PictavoTest;

struct SizeCase {
  int width, height;
  int rowLength;  // 3 bytes a pixel, rounded up to a multiple of 4
};

const SizeCase kSizes[] = {
    {1, 1, 4},        // 3 -> 4
    {2, 1, 8},        // 6 -> 8
    {3, 2, 12},       // 9 -> 12
    {4, 3, 12},       // 12, no padding
    {5, 7, 16},       // 15 -> 16
    {321, 179, 964},  // 963 -> 964
    {640, 480, 1920},
};

TEST_F(Newdib, DescribesBottomUp24BitPictureWithPaddedRows) {
  for (const SizeCase& c : kSizes) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    ModuleDib picture(Api(), c.width, c.height);
    const DibRecord& dib = picture.Record();
    ASSERT_NE(dib.info, nullptr);
    EXPECT_EQ(dib.info->headerSize, 40u);
    EXPECT_EQ(dib.info->width, c.width);
    EXPECT_EQ(dib.info->height, c.height);  // positive: bottom row first
    EXPECT_EQ(dib.info->planes, 1);
    EXPECT_EQ(dib.info->bitCount, 24);
    EXPECT_EQ(dib.info->compression, 0u);
    EXPECT_EQ(dib.rowLength, c.rowLength);
    EXPECT_EQ(dib.imageBytes, static_cast<size_t>(c.rowLength) * c.height);
    EXPECT_EQ(dib.info->imageSize, dib.imageBytes);
  }
}

TEST_F(Newdib, KeepsHeaderAndZeroedRowsInOneWritableBlock) {
  ModuleDib picture(Api(), 321, 179);
  const DibRecord& dib = picture.Record();
  EXPECT_EQ(static_cast<void*>(dib.info), dib.block);
  EXPECT_EQ(dib.rows, static_cast<unsigned char*>(dib.block) + sizeof(DibInfoHeader));
  for (size_t i = 0; i < dib.imageBytes; ++i) ASSERT_EQ(dib.rows[i], 0) << "byte " << i;
  std::memset(dib.rows, 0x5A, dib.imageBytes);  // the sanitizer checks every byte is ours
  EXPECT_EQ(dib.info->width, 321);              // the rows do not overlap the header
}

struct BadArguments {
  const char* name;
  int width, height, bits;
};

const BadArguments kBadArguments[] = {
    {"zero width", 0, 10, 24},
    {"zero height", 10, 0, 24},
    {"negative width", -3, 10, 24},
    {"negative height", 10, -3, 24},
    {"32 bits", 10, 10, 32},
    {"8 bits", 10, 10, 8},
    {"beyond 4 GiB", INT_MAX, INT_MAX, 24},
    {"rows too long", INT_MAX, 1, 24},
};

TEST_F(Newdib, RefusesBadArgumentsAndLeavesRecordEmpty) {
  for (const BadArguments& c : kBadArguments) {
    SCOPED_TRACE(c.name);
    DibRecord dib;
    std::memset(&dib, 0xCD, sizeof dib);
    EXPECT_NE(Api().newdib(&dib, c.width, c.height, c.bits, 0, 0), 0);
    EXPECT_EQ(dib.info, nullptr);
    EXPECT_EQ(dib.block, nullptr);
    EXPECT_EQ(dib.rows, nullptr);
    EXPECT_EQ(dib.rowLength, 0);
    EXPECT_EQ(dib.imageBytes, 0u);
    EXPECT_EQ(Api().deldib(dib), 0);  // an empty record is safe to free
  }
}

TEST_F(Newdib, RefusesMissingRecord) { EXPECT_NE(Api().newdib(nullptr, 4, 4, 24, 0, 0), 0); }

TEST_F(Newdib, OpenDibIsPresentButReadsNothing) {
  DibRecord dib{};
  EXPECT_NE(Api().OpenDib(&dib, TempFile("none.bmp").c_str()), 0);
  EXPECT_EQ(dib.block, nullptr);
}

}  // namespace
