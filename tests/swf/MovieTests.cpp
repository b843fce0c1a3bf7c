#include <memory>
#include <string>
#include <vector>

#include "swf/swf.h"
#include "tests/swf/ByteMatch.h"

namespace {

// 5-bit count 17 | Xmin 0 | Xmax 6400 | Ymin 0 | Ymax 4800 in 17 bits each | 7 zero bits:
// 10001 00000000000000000 00001100100000000 00000000000000000 00001001011000000 0000000
const Bytes frame320x240{0x88, 0x00, 0x00, 0x32, 0x00, 0x00, 0x00, 0x09, 0x60, 0x00};

Bytes WrittenMovie(FObjCollection& movie, std::int32_t width, std::int32_t height, std::int32_t fps) {
  FSWFStream stream;
  movie.WriteMovie(stream, width, height, fps);
  return StreamBytes(stream);
}

// Records its destruction in a shared log.
class LoggedTag : public FCT {
 public:
  LoggedTag(int id, std::vector<int>& log) : id(id), log(log) {}
  ~LoggedTag() override { log.push_back(id); }

 private:
  int id;
  std::vector<int>& log;
};

TEST(Movie, WithoutObjectsIs24Bytes) {
  FObjCollection movie;
  const Bytes expected = Join({{'F', 'W', 'S', 4, 24, 0, 0, 0},
                               frame320x240,
                               {0x00, 0x05},    // 5.0 frames per second
                               {0x00, 0x00},    // no frames
                               {0x00, 0x00}});  // End
  EXPECT_TRUE(SameBytes(WrittenMovie(movie, 6400, 4800, 5), expected));
}

TEST(Movie, HeaderCountsShowFrames) {
  FObjCollection movie;
  for (int i = 0; i < 10; ++i) {
    movie.AddObject(std::make_unique<FCTShowFrame>());
  }
  Bytes tags;
  for (int i = 0; i < 10; ++i) {
    tags.insert(tags.end(), {0x40, 0x00});
  }
  // 22 + 20 + 2 = 44 bytes
  const Bytes expected =
      Join({{'F', 'W', 'S', 4, 44, 0, 0, 0}, frame320x240, {0x00, 0x05}, {0x0A, 0x00}, tags, {0x00, 0x00}});
  EXPECT_TRUE(SameBytes(WrittenMovie(movie, 6400, 4800, 5), expected));
}

TEST(Movie, OnlyShowFramesRaiseTheFrameCount) {
  FObjCollection movie;
  movie.AddObject(std::make_unique<FCTSetBackgroundColor>(std::make_unique<FColor>(1, 2, 3)));
  movie.AddObject(std::make_unique<FCTRemoveObject2>(1));
  movie.AddObject(std::make_unique<FDTSoundStreamBlock>(0, nullptr));
  movie.AddObject(std::make_unique<FCTPlaceObject2>(0, 0, 1, 0, 1, 1, nullptr, nullptr, 0, nullptr, 0));
  EXPECT_EQ(movie.FrameCount(), 0);
  movie.AddObject(std::make_unique<FCTShowFrame>());
  EXPECT_EQ(movie.FrameCount(), 1);
}

TEST(Movie, FileLengthCountsLargeBlocks) {
  const Bytes samples(300, 0x80);
  FObjCollection movie;
  movie.AddObject(std::make_unique<FDTSoundStreamBlock>(300, samples.data()));
  const Bytes written = WrittenMovie(movie, 20, 20, 1);
  // 22 header + 6 long tag header + 300 + 2 End = 330 = 0x14A
  ASSERT_EQ(written.size(), 330u);
  EXPECT_TRUE(SameBytes(Bytes(written.begin() + 4, written.begin() + 8), {0x4A, 0x01, 0, 0}));
}

TEST(Movie, FieldsBeyondTheirWidthAreCut) {
  FObjCollection movie;
  const Bytes written = WrittenMovie(movie, 6400, 4800, 256 + 5);
  ASSERT_EQ(written.size(), 24u);
  EXPECT_EQ(written[19], 5);  // fps 261 keeps its low 8 bits
}

TEST(Movie, DestroysEveryObjectOnceFirstToLast) {
  std::vector<int> log;
  {
    FObjCollection movie;
    for (int id = 1; id <= 3; ++id) {
      movie.AddObject(std::make_unique<LoggedTag>(id, log));
    }
    EXPECT_TRUE(log.empty());
  }
  EXPECT_EQ(log, (std::vector<int>{1, 2, 3}));
}

TEST(CharacterIDs, FollowConstructionNotAddingOrder) {
  ResetCharacterIDs();
  const unsigned char jpeg[] = {0xFF, 0xD8, 0xFF, 0xD9};
  auto first = std::make_unique<FDTDefineBitsJPEG2>(jpeg, 4);
  auto second = std::make_unique<FDTDefineShape>(std::make_unique<FRect>(0, 0, 0, 0));
  EXPECT_EQ(first->GetCharacterID(), 1);
  EXPECT_EQ(second->GetCharacterID(), 2);
  FObjCollection movie;
  movie.AddObject(std::move(second));
  movie.AddObject(std::move(first));
}

TEST(CharacterIDs, StartAtOneAfterAMovieWasWritten) {
  NextCharacterID();
  NextCharacterID();
  FObjCollection movie;
  WrittenMovie(movie, 20, 20, 1);
  EXPECT_EQ(NextCharacterID(), 1);
}

TEST(CharacterIDs, WrapAfter65535) {
  ResetCharacterIDs();
  for (int i = 1; i < 65535; ++i) {
    NextCharacterID();
  }
  EXPECT_EQ(NextCharacterID(), 65535);
  EXPECT_EQ(NextCharacterID(), 0);
  EXPECT_EQ(NextCharacterID(), 1);
}

}  // namespace
