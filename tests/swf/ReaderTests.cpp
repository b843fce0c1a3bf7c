#include <ostream>
#include <string>

#include "tests/swf/ByteMatch.h"
#include "tests/swf/SwfTagReader.h"

namespace {

// A 22-byte header (20 by 20 twips: 17-bit RECT as the writer makes it,
// 1 frame per second) with the given frame count, then the tags; the file
// length is filled in.
Bytes Movie(std::uint8_t frames, const Bytes& tags) {
  // 10001 | 0 | 20 | 0 | 20 in 17 bits each | 0000000
  Bytes bytes = Join({{'F',  'W',  'S',  4,    0,    0,    0,    0,    0x88, 0x00,   0x00,
                       0x00, 0x28, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x01, frames, 0x00},
                      tags});
  bytes[4] = static_cast<std::uint8_t>(bytes.size());
  return bytes;
}

const Bytes end{0x00, 0x00};
const Bytes showFrame{0x40, 0x00};
// DefineBitsJPEG2 ID 1 with an empty picture
const Bytes bitmap1{0x48, 0x05, 0x01, 0x00, 0xFF, 0xD9, 0xFF, 0xD8, 0xFF, 0xD9};
// PlaceObject2 of character 1 at depth 1
const Bytes place1{0x85, 0x06, 0x02, 0x01, 0x00, 0x01, 0x00};
// DefineShape ID 2, empty bounds, one clipped bitmap fill of the given character
Bytes ShapeFilledWith(std::uint8_t low, std::uint8_t high) {
  // header, ID, bounds, 1 fill: clipped bitmap, identity matrix; no lines;
  // index bits 0001 0000; end record
  return {0x8D, 0x00, 0x02, 0x00, 0x08, 0x00, 0x01, 0x41, low, high, 0x02, 0x00, 0x00, 0x10, 0x00};
}

TEST(SwfReader, ReadsHeaderAndTags) {
  const Bytes bytes = Movie(1, Join({bitmap1, place1, showFrame, end}));
  std::string error;
  const auto movie = ReadSwf(bytes, &error);
  ASSERT_TRUE(movie) << error;
  EXPECT_EQ(movie->fileLength, bytes.size());
  EXPECT_EQ(movie->xMax, 20);
  EXPECT_EQ(movie->yMax, 20);
  EXPECT_EQ(movie->frameRate, 0x0100);
  ASSERT_EQ(movie->tags.size(), 4u);
  EXPECT_EQ(movie->tags[1].code, 26);
  EXPECT_EQ(movie->tags[1].offset, 22u + bitmap1.size());
  EXPECT_EQ(movie->tags[1].length, 5u);
  EXPECT_EQ(CheckMovie(*movie, bytes.size()), "");
}

TEST(SwfReader, RejectsCutTagsAndWrongSignatures) {
  std::string error;
  EXPECT_FALSE(ReadSwf(Movie(0, {0x43, 0x02, 0xFF}), &error));
  EXPECT_NE(error.find("cut short"), std::string::npos);
  Bytes compressed = Movie(0, end);
  compressed[0] = 'C';
  EXPECT_FALSE(ReadSwf(compressed, &error));
}

struct CheckCase {
  std::string name;
  Bytes bytes;
  std::string problem;  // a part of the expected message
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

class MovieChecks : public ::testing::TestWithParam<CheckCase> {};

TEST_P(MovieChecks, FindTheFault) {
  const auto movie = ReadSwf(GetParam().bytes, nullptr);
  ASSERT_TRUE(movie);
  const std::string problem = CheckMovie(*movie, GetParam().bytes.size());
  if (GetParam().problem.empty()) {
    EXPECT_EQ(problem, "");
  } else {
    EXPECT_NE(problem.find(GetParam().problem), std::string::npos) << problem;
  }
}

INSTANTIATE_TEST_SUITE_P(
    SwfReader, MovieChecks,
    ::testing::Values(
        CheckCase{"FrameCountMismatch", Movie(2, Join({showFrame, end})), "frame count"},
        CheckCase{"MissingEnd", Movie(1, showFrame), "last tag is not End"},
        CheckCase{"EndBeforeLast", Movie(1, Join({end, showFrame, end})), "End before"},
        CheckCase{"LongHeaderForShortBody", Movie(0, Join({{0x7F, 0x02, 0x00, 0x00, 0x00, 0x00}, end})), "long header"},
        CheckCase{"PlacesUndefinedCharacter", Movie(0, Join({place1, end})), "undefined"},
        CheckCase{"BitmapFillOfUndefinedCharacter", Movie(0, Join({ShapeFilledWith(0x05, 0x00), end})), "bitmap fill"},
        CheckCase{"NoBitmapIdIsAllowed", Movie(0, Join({ShapeFilledWith(0xFF, 0xFF), end})), ""},
        CheckCase{"DefinedBitmapIsAllowed", Movie(0, Join({bitmap1, ShapeFilledWith(0x01, 0x00), end})), ""},
        CheckCase{"DuplicateDefinition", Movie(0, Join({bitmap1, bitmap1, end})), "defined twice"}),
    [](const auto& info) { return info.param.name; });

TEST(SwfReader, ChecksFileLengthAgainstTheFile) {
  const Bytes bytes = Movie(0, end);
  const auto movie = ReadSwf(bytes, nullptr);
  ASSERT_TRUE(movie);
  EXPECT_NE(CheckMovie(*movie, bytes.size() + 1).find("file length"), std::string::npos);
}

}  // namespace
