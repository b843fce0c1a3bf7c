#include <sys/types.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "swf/swf.h"
#include "tests/swf/ByteMatch.h"
#include "tests/swf/SwfTagReader.h"

namespace fs = std::filesystem;

namespace {

Bytes FakeJpeg(std::size_t size) {
  Bytes jpeg(size, 0x11);
  jpeg[0] = 0xFF;  // start of image
  jpeg[1] = 0xD8;
  jpeg[size - 2] = 0xFF;  // end of image
  jpeg[size - 1] = 0xD9;
  return jpeg;
}

std::unique_ptr<FMatrix> ScaleTwenty() { return std::make_unique<FMatrix>(1, 0x140000, 0x140000, 0, 0, 0, 0, 0); }

std::unique_ptr<FDTDefineShape> PictureShape(std::uint16_t bitmapID) {
  auto shape = std::make_unique<FDTDefineShape>(std::make_unique<FRect>(0, 0, 40, 40));
  shape->AddFillStyle(std::make_unique<FFillStyleBitmap>(0, 0xFFFF, ScaleTwenty()));
  shape->AddFillStyle(std::make_unique<FFillStyleBitmap>(0, bitmapID, ScaleTwenty()));
  shape->FinishStyleArrays();
  shape->AddShapeRec(std::make_unique<FShapeRecChange>(0, 0, 1, 0, 1, 0, 0, 0, 2, 0, nullptr, nullptr));
  for (auto [dx, dy] : {std::pair{20, 0}, {0, 20}, {-20, 0}, {0, -20}}) {
    shape->AddShapeRec(std::make_unique<FShapeRecEdgeStraight>(dx, dy));
  }
  shape->AddShapeRec(std::make_unique<FShapeRecEnd>());
  return shape;
}

class WholeMovie : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetCharacterIDs();
    file = fs::temp_directory_path() / ("tessaline-movie-" + std::to_string(getpid()) + ".swf");
  }
  void TearDown() override { fs::remove(file); }

  // Background, sound head, a picture with its shape and placement, a
  // sound block per frame, a removal; two frames.
  void BuildMovie(FObjCollection& movie) {
    movie.AddObject(std::make_unique<FCTSetBackgroundColor>(std::make_unique<FColor>(255, 255, 255)));
    movie.AddObject(std::make_unique<FDTSoundStreamHead2>(1, 0, 1, 0, 0, 2200));
    auto bitmap = std::make_unique<FDTDefineBitsJPEG2>(jpeg.data(), static_cast<std::uint32_t>(jpeg.size()));
    const std::uint16_t bitmapID = bitmap->GetCharacterID();
    movie.AddObject(std::move(bitmap));
    auto shape = PictureShape(bitmapID);
    const std::uint16_t shapeID = shape->GetCharacterID();
    movie.AddObject(std::move(shape));
    movie.AddObject(std::make_unique<FCTPlaceObject2>(
        0, 0, 1, 0, 1, shapeID, std::make_unique<FMatrix>(0, 0, 0, 0, 0, 0, 0, 0), nullptr, 0, nullptr, 0));
    movie.AddObject(
        std::make_unique<FDTSoundStreamBlock>(static_cast<std::uint32_t>(firstBlock.size()), firstBlock.data()));
    movie.AddObject(std::make_unique<FCTShowFrame>());
    movie.AddObject(std::make_unique<FCTRemoveObject2>(1));
    movie.AddObject(
        std::make_unique<FDTSoundStreamBlock>(static_cast<std::uint32_t>(secondBlock.size()), secondBlock.data()));
    movie.AddObject(std::make_unique<FCTShowFrame>());
  }

  // Saves the movie, optionally changing every buffer after AddObject, and
  // reads the file back; the movie must pass every structural check.
  std::optional<SwfMovie> SaveAndRead(bool changeBuffers) {
    {
      FObjCollection movie;
      BuildMovie(movie);
      if (changeBuffers) {
        for (std::size_t i = 0; i < firstBlock.size(); ++i) {
          firstBlock[i] = static_cast<std::uint8_t>(i);
        }
        secondBlock.assign(secondBlock.size(), 0x7F);
        jpeg[150] = 0x99;
      }
      if (!movie.SaveMovie(file, 40, 40, 5)) {
        ADD_FAILURE() << "SaveMovie failed";
        return std::nullopt;
      }
    }
    std::ifstream in(file, std::ios::binary);
    const Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string error;
    std::optional<SwfMovie> movie = ReadSwf(bytes, &error);
    EXPECT_TRUE(movie) << error;
    if (movie) {
      EXPECT_EQ(CheckMovie(*movie, bytes.size()), "");
    }
    return movie;
  }

  fs::path file;
  Bytes jpeg = FakeJpeg(300);
  Bytes firstBlock = Bytes(100, 0x80);
  Bytes secondBlock = Bytes(40, 0x80);
};

TEST_F(WholeMovie, ReadsBackAsASoundMovie) {
  const std::optional<SwfMovie> movie = SaveAndRead(false);
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->version, 4);
  EXPECT_EQ(movie->xMax, 40);
  EXPECT_EQ(movie->yMax, 40);
  EXPECT_EQ(movie->frameRate, 0x0500);  // 5.0
  EXPECT_EQ(movie->frameCount, 2);
  std::vector<std::uint16_t> codes;
  for (const SwfTag& tag : movie->tags) {
    codes.push_back(tag.code);
  }
  EXPECT_EQ(codes, (std::vector<std::uint16_t>{9, 45, 21, 2, 26, 19, 1, 28, 19, 1, 0}));
  EXPECT_TRUE(SameBytes(movie->tags[3].body,
                        {0x02, 0x00, 0x38, 0x05, 0x00, 0x14, 0x00, 0x02, 0x41, 0xFF, 0xFF, 0xD9, 0x40, 0x00,
                         0x05, 0x00, 0x00, 0x01, 0x00, 0x41, 0x01, 0x00, 0xD9, 0x40, 0x00, 0x05, 0x00, 0x00,
                         0x01, 0x00, 0x00, 0x20, 0x14, 0x25, 0xA0, 0xA6, 0x8A, 0x9A, 0x16, 0x68, 0xD8, 0x00}));
}

TEST_F(WholeMovie, BlocksCarryTheBytesHeldAtSaveTime) {
  const std::optional<SwfMovie> movie = SaveAndRead(true);
  ASSERT_TRUE(movie);
  ASSERT_EQ(movie->tags.size(), 11u);
  const SwfTag& bitmap = movie->tags[2];
  EXPECT_TRUE(bitmap.longHeader);
  EXPECT_TRUE(SameBytes(bitmap.body, Join({{0x01, 0x00, 0xFF, 0xD9, 0xFF, 0xD8}, jpeg, {0xFF, 0xD9}})));
  EXPECT_TRUE(movie->tags[5].longHeader);
  EXPECT_TRUE(SameBytes(movie->tags[5].body, firstBlock));
  EXPECT_FALSE(movie->tags[8].longHeader);
  EXPECT_TRUE(SameBytes(movie->tags[8].body, secondBlock));
}

TEST_F(WholeMovie, NextMovieStartsAtIdOne) {
  {
    FObjCollection movie;
    BuildMovie(movie);
    ASSERT_TRUE(movie.SaveMovie(file, 40, 40, 5));
  }
  const FDTDefineBitsJPEG2 next(jpeg.data(), 4);
  EXPECT_EQ(next.GetCharacterID(), 1);
}

}  // namespace
