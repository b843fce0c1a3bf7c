// Pictures: the changed rectangle, its shape in twips, the whole-picture
// rules, and the stage the movie shows compared with the source.
#include <fstream>

#include "convert/StorePicture.h"
#include "convert/TempFolder.h"
#include "tests/convert/ConversionFixture.h"

namespace {

// ---- FindChangedRegion on pictures of the stand-in module ----

PictureHolder FilledPicture(int w, int h, std::uint8_t value) {
  PictureHolder picture(StandInApi());
  picture.Make(w, h);
  for (int r = 0; r < h; ++r) std::fill_n(picture.Row(r), picture.Dib().rowLength, value);
  return picture;
}

void Touch(PictureHolder& picture, int x, int r, int byte = 0) { picture.Row(r)[3 * x + byte] ^= 0x5A; }

TEST(FindChangedRegion, IdenticalPicturesLeaveBoundsAtTheirStart) {
  PictureHolder a = FilledPicture(5, 4, 7), b = FilledPicture(5, 4, 7);
  const ChangedRegion region = FindChangedRegion(a, b, 5, 4);
  EXPECT_FALSE(region.changed);
  EXPECT_EQ(region.minX, 15);
  EXPECT_EQ(region.maxX, -10);
  EXPECT_EQ(region.minR, 14);
  EXPECT_EQ(region.maxR, -10);
}

TEST(FindChangedRegion, OnePixelGivesOnePixelBounds) {
  PictureHolder a = FilledPicture(5, 4, 7), b = FilledPicture(5, 4, 7);
  Touch(a, 3, 2, 1);  // only the green byte differs
  const ChangedRegion region = FindChangedRegion(a, b, 5, 4);
  EXPECT_TRUE(region.changed);
  EXPECT_EQ(std::make_tuple(region.minX, region.maxX, region.minR, region.maxR), std::make_tuple(3, 3, 2, 2));
}

TEST(FindChangedRegion, BoundsCoverChangesSpreadOverRows) {
  PictureHolder a = FilledPicture(8, 5, 7), b = FilledPicture(8, 5, 7);
  Touch(a, 4, 1);
  Touch(a, 1, 3);
  Touch(a, 6, 3, 2);
  Touch(a, 5, 2);
  const ChangedRegion region = FindChangedRegion(a, b, 8, 5);
  EXPECT_EQ(std::make_tuple(region.minX, region.maxX, region.minR, region.maxR), std::make_tuple(1, 6, 1, 3));
}

TEST(FindChangedRegion, FirstAndLastColumnsAndRowsAreSeen) {
  PictureHolder a = FilledPicture(7, 3, 0), b = FilledPicture(7, 3, 0);
  Touch(a, 6, 0);
  Touch(a, 0, 2);
  const ChangedRegion region = FindChangedRegion(a, b, 7, 3);
  EXPECT_EQ(std::make_tuple(region.minX, region.maxX, region.minR, region.maxR), std::make_tuple(0, 6, 0, 2));
}

TEST(FindChangedRegion, EveryByteOfRowsLongerThanAWordIsSeen) {
  constexpr int kWidth = 37;
  constexpr int kRowBytes = 3 * kWidth;
  for (int byte = 0; byte < kRowBytes; ++byte) {
    SCOPED_TRACE(byte);
    PictureHolder a = FilledPicture(kWidth, 3, 7), b = FilledPicture(kWidth, 3, 7);
    a.Row(1)[byte] ^= 0x5A;
    const ChangedRegion one = FindChangedRegion(a, b, kWidth, 3);
    EXPECT_EQ(std::make_tuple(one.minX, one.maxX, one.minR, one.maxR), std::make_tuple(byte / 3, byte / 3, 1, 1));
    const int mirrored = kRowBytes - 1 - byte;  // the row above widens the bounds found below
    a.Row(2)[mirrored] ^= 0x01;
    const ChangedRegion two = FindChangedRegion(a, b, kWidth, 3);
    EXPECT_EQ(std::make_tuple(two.minX, two.maxX, two.minR, two.maxR),
              std::make_tuple(std::min(byte, mirrored) / 3, std::max(byte, mirrored) / 3, 1, 2));
  }
}

TEST(FindChangedRegion, RowPaddingIsNotPartOfThePicture) {
  PictureHolder a = FilledPicture(1, 2, 7), b = FilledPicture(1, 2, 7);
  a.Row(1)[3] = 99;  // a 1-pixel row is padded from 3 to 4 bytes
  EXPECT_FALSE(FindChangedRegion(a, b, 1, 2).changed);
}

// ---- stored regions in whole runs ----

using Pictures = ConversionFixture;

std::vector<RawPicture> StoredPictures(const SwfMovie& movie) {
  std::vector<RawPicture> pictures;
  for (const SwfTag* tag : TagsWithCode(movie, tags::kDefineBitsJPEG2)) pictures.push_back(ParseBitmap(*tag)->second);
  return pictures;
}

std::vector<int> Depths(const SwfMovie& movie, std::uint16_t code) {
  std::vector<int> depths;
  for (const SwfTag* tag : TagsWithCode(movie, code))
    depths.push_back(code == tags::kRemoveObject2 ? RemovedDepth(*tag) : ParsePlacement(*tag)->depth);
  return depths;
}

TEST_F(Pictures, OnePixelChangeStoresOnePixelRectangle) {
  Picture first = SolidPicture(6, 4, 30);
  Picture second = first;
  SetPixel(second, 6, 4, 4, 1, 222);
  UseSource(6, 4, 4, {first, second});
  settings.framesPerSecond = 4;
  ASSERT_TRUE(Run());
  const SwfMovie movie = Movie();
  const std::vector<RawPicture> pictures = StoredPictures(movie);
  ASSERT_EQ(pictures.size(), 2u);
  EXPECT_EQ(std::make_pair(pictures[1].width, pictures[1].height), std::make_pair(1, 1));
  EXPECT_EQ(pictures[1].rows, (std::vector<std::uint8_t>{222, 222, 222}));

  const auto shape = ParseShape(*TagsWithCode(movie, tags::kDefineShape)[1]);
  ASSERT_TRUE(shape);
  EXPECT_EQ(std::make_tuple(shape->xMin, shape->xMax, shape->yMin, shape->yMax), std::make_tuple(0, 240, 0, 160));
  ASSERT_EQ(shape->fills.size(), 2u);
  EXPECT_EQ(shape->lineStyleCount, 0u);
  const BitmapFill& unused = shape->fills[0];
  EXPECT_EQ(std::make_tuple(unused.type, unused.bitmapID, unused.hasScale, unused.scaleX, unused.scaleY,
                            unused.hasRotate, unused.translateX, unused.translateY),
            std::make_tuple(0x41, 0xFFFF, true, 0x140000, 0x140000, false, 0, 0));
  const BitmapFill& fill = shape->fills[1];
  EXPECT_EQ(std::make_tuple(fill.type, fill.bitmapID, fill.hasScale, fill.scaleX, fill.scaleY, fill.hasRotate,
                            fill.translateX, fill.translateY),
            std::make_tuple(0x41, 3, true, 0x140000, 0x140000, false, 80, 20));
  EXPECT_EQ(shape->changeFlags, 0b00101u);  // fill style 1 and move to
  EXPECT_EQ(std::make_tuple(shape->moveX, shape->moveY, shape->fillStyle1), std::make_tuple(80, 20, 2u));
  EXPECT_EQ(shape->edges, (std::vector<std::pair<int, int>>{{20, 0}, {0, 20}, {-20, 0}, {0, -20}}));
  EXPECT_TRUE(shape->ended);
}

TEST_F(Pictures, ChangesInFarCornersStoreOneSpanningRectangle) {
  Picture first = SolidPicture(8, 6, 30);
  Picture second = first;
  SetPixel(second, 8, 6, 1, 1, 1);
  SetPixel(second, 8, 6, 6, 4, 2);
  UseSource(8, 6, 4, {first, second});
  settings.framesPerSecond = 4;
  ASSERT_TRUE(Run());
  const SwfMovie movie = Movie();
  const std::vector<RawPicture> pictures = StoredPictures(movie);
  ASSERT_EQ(pictures.size(), 2u);
  EXPECT_EQ(std::make_pair(pictures[1].width, pictures[1].height), std::make_pair(6, 4));
  const auto shape = ParseShape(*TagsWithCode(movie, tags::kDefineShape)[1]);
  ASSERT_TRUE(shape);
  EXPECT_EQ(std::make_pair(shape->fills[1].translateX, shape->fills[1].translateY), std::make_pair(20, 20));
  EXPECT_EQ(shape->edges, (std::vector<std::pair<int, int>>{{120, 0}, {0, 80}, {-120, 0}, {0, -80}}));
  const Replay replay = ReplayMovie(movie, 8, 6);
  ASSERT_EQ(replay.error, "");
  EXPECT_EQ(replay.frames, (std::vector<Picture>{first, second}));
}

TEST_F(Pictures, IdenticalFramesStoreNothingButStillShowFrames) {
  UseSource(3, 3, 4, std::vector<Picture>(3, SolidPicture(3, 3, 9)));
  settings.framesPerSecond = 4;
  ASSERT_TRUE(Run());
  const SwfMovie movie = Movie();
  EXPECT_EQ(StoredPictures(movie).size(), 1u);
  EXPECT_EQ(movie.frameCount, 3);
}

TEST_F(Pictures, WithoutStoreOnlyChangesEveryPictureIsWholeAndClearsTheOldOnes) {
  UseSource(2, 2, 4, std::vector<Picture>(2, SolidPicture(2, 2, 9)));
  settings.framesPerSecond = 4;
  settings.storeOnlyChanges = false;
  ASSERT_TRUE(Run());
  const SwfMovie movie = Movie();
  using namespace tags;
  EXPECT_EQ(TagCodes(movie),
            (std::vector<std::uint16_t>{kSetBackgroundColor, kDefineBitsJPEG2, kDefineShape, kRemoveObject2,
                                        kPlaceObject2, kShowFrame, kDefineBitsJPEG2, kDefineShape, kRemoveObject2,
                                        kPlaceObject2, kShowFrame, kEnd}));
  EXPECT_EQ(Depths(movie, kRemoveObject2), (std::vector<int>{1, 2}));
  EXPECT_EQ(Depths(movie, kPlaceObject2), (std::vector<int>{2, 3}));
}

std::vector<Picture> WanderingPixel(int count, int w, int h) {
  std::vector<Picture> frames;
  for (int i = 0; i < count; ++i) {
    Picture picture = SolidPicture(w, h, 50);
    SetPixel(picture, w, h, i % w, (i / w) % h, static_cast<std::uint8_t>(100 + i));
    frames.push_back(picture);
  }
  return frames;
}

TEST_F(Pictures, EveryTenthSoundBlockStoresWholePictureOverEmptyList) {
  UseSource(4, 3, 4, WanderingPixel(12, 4, 3));
  settings.framesPerSecond = 4;
  settings.convertAudio = true;
  ASSERT_TRUE(Run());
  const SwfMovie movie = Movie();
  std::vector<int> wholeAt;
  const std::vector<RawPicture> pictures = StoredPictures(movie);
  for (std::size_t i = 0; i < pictures.size(); ++i)
    if (pictures[i].width == 4 && pictures[i].height == 3) wholeAt.push_back(static_cast<int>(i));
  EXPECT_EQ(wholeAt, (std::vector<int>{0, 9}));  // decoded while block 10 was next
  EXPECT_EQ(Depths(movie, tags::kRemoveObject2), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(Depths(movie, tags::kPlaceObject2), (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
}

TEST_F(Pictures, StageShowsTheSourcePictureAtEveryFrame) {
  struct Case {
    bool audio, onlyChanges;
  };
  for (const Case c : {Case{false, true}, Case{true, true}, Case{false, false}, Case{true, false}}) {
    SCOPED_TRACE(testing::Message() << "audio " << c.audio << " only changes " << c.onlyChanges);
    ResetFake();
    std::vector<Picture> frames;
    for (int i = 0; i < 24; ++i) {
      Picture picture = SolidPicture(9, 7, static_cast<std::uint8_t>(i < 12 ? 20 : 21));
      for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
          SetPixel(picture, 9, 7, (i + x) % 9, (i / 3 + y) % 7, static_cast<std::uint8_t>(i * 9));
      frames.push_back(picture);
      if (i % 5 == 4) frames.push_back(picture);  // some frames repeat
    }
    UseSource(9, 7, 8, frames);
    settings.framesPerSecond = 8;
    settings.convertAudio = c.audio;
    settings.storeOnlyChanges = c.onlyChanges;
    ASSERT_TRUE(Run());
    const Replay replay = ReplayMovie(Movie(), 9, 7);
    ASSERT_EQ(replay.error, "");
    EXPECT_EQ(replay.frames, frames);
  }
}

TEST_F(Pictures, FrameWithoutRowsIsBlackEvenInAReusedPicture) {
  // Frames 0 and 1 are stored, so frame 0's rows are free for frame 2.
  const std::vector<Picture> frames{SolidPicture(3, 2, 200), SolidPicture(3, 2, 100), SolidPicture(3, 2, 100)};
  UseSource(3, 2, 4, frames);
  settings.framesPerSecond = 4;
  Fake().framesWithoutRows = {2};
  ASSERT_TRUE(Run());
  const Replay replay = ReplayMovie(Movie(), 3, 2);
  ASSERT_EQ(replay.error, "");
  ASSERT_EQ(replay.frames.size(), 3u);
  EXPECT_EQ(replay.frames[1], frames[1]);
  EXPECT_EQ(replay.frames[2], SolidPicture(3, 2, 0));
}

// ---- the temporary file ----

TEST_F(Pictures, PicturesGoThroughAFolderOfTheRunsOwnAndNotThroughWhatLiesInTheSharedOne) {
  std::ofstream(tempFolder / "tempjpg0.jpg") << "left over";
  std::filesystem::create_symlink(folder / "opfer.txt", tempFolder / "tempjpg1.jpg");
  std::filesystem::perms ownFolderPerms{};
  window.onInput = [&] {
    for (const auto& entry : std::filesystem::directory_iterator(tempFolder)) {
      if (entry.is_directory()) ownFolderPerms = entry.status().permissions();
    }
  };
  UseSource(1, 1, 4, {SolidPicture(1, 1, 3), SolidPicture(1, 1, 4)});
  settings.framesPerSecond = 4;
  ASSERT_EQ(Outcome(), ConversionOutcome::Complete);
  EXPECT_EQ(ownFolderPerms & std::filesystem::perms::all, std::filesystem::perms::owner_all);
  ASSERT_EQ(Imaging().savedPaths.size(), 2u);
  for (std::size_t save = 0; save < 2; ++save) {
    const std::filesystem::path saved(Imaging().savedPaths[save]);
    // two files taking turns, each saved over, made by the run itself
    EXPECT_EQ(saved.filename(), "tempjpg" + std::to_string(save) + ".jpg");
    EXPECT_EQ(saved.parent_path().parent_path(), tempFolder);
    EXPECT_TRUE(saved.parent_path().filename().string().starts_with("tessaline-")) << saved;
  }
  EXPECT_EQ(Imaging().formats, (std::vector<int>{7, 7}));
  EXPECT_EQ(Imaging().owners, (std::vector<void*>{&window, &window}));
  EXPECT_FALSE(std::filesystem::exists(folder / "opfer.txt"));
  std::ifstream leftover(tempFolder / "tempjpg0.jpg");
  std::string text;
  std::getline(leftover, text);
  EXPECT_EQ(text, "left over");
  std::filesystem::remove(tempFolder / "tempjpg0.jpg");
  std::filesystem::remove(tempFolder / "tempjpg1.jpg");
}

TEST_F(Pictures, TemporaryNamesAreTheFirstFreeNumbersAndNeverFollowALink) {
  std::string madeAt;
  {
    TempFolder own;
    ASSERT_TRUE(own.Made()) << own.Problem();
    madeAt = own.Path();
    EXPECT_NE(TempFolder().Path(), madeAt);
    std::filesystem::create_symlink(folder / "opfer.txt", madeAt + "/tempjpg0.jpg");
    TempFile first = own.NewFile("tempjpg", ".jpg");
    TempFile second = own.NewFile("tempjpg", ".jpg");
    EXPECT_EQ(first.Path(), madeAt + "/tempjpg1.jpg");
    EXPECT_EQ(second.Path(), madeAt + "/tempjpg2.jpg");
    EXPECT_FALSE(std::filesystem::exists(folder / "opfer.txt"));
    const std::string firstPath = first.Path();
    first = TempFile();
    EXPECT_FALSE(std::filesystem::exists(firstPath));
    EXPECT_EQ(own.NewFile("tempjpg", ".jpg").Path(), firstPath);
    std::ofstream(second.Path()) << "picture";
  }
  EXPECT_FALSE(std::filesystem::exists(madeAt));  // with the link still in it
}

}  // namespace

// ---- noise tolerance ----

constexpr int kNoisyWidth = 32, kNoisyHeight = 20;

bool InPatch(int x, int y) { return x >= 10 && x < 18 && y >= 8 && y < 16; }

// A picture at 100: from frame 1 on, every pixel but an 8 by 8 patch at
// (10, 8) is off by noise, up or down in a checker that flips each frame; the
// patch drifts up by drift a frame.
Picture NoisyFrame(int frame, int noise, int drift) {
  Picture picture = SolidPicture(kNoisyWidth, kNoisyHeight, 100);
  for (int y = 0; y < kNoisyHeight; ++y)
    for (int x = 0; x < kNoisyWidth; ++x) {
      const int offset = InPatch(x, y) ? drift * frame : frame == 0 ? 0 : (x + y + frame) % 2 ? noise : -noise;
      SetPixel(picture, kNoisyWidth, kNoisyHeight, x, y, static_cast<std::uint8_t>(100 + offset));
    }
  return picture;
}

TEST_F(Pictures, ToleranceComparesWithWhatTheMovieShows) {
  struct Case {
    const char* name;
    int tolerance, noise, drift, frameCount;
    std::vector<std::pair<int, int>> storedSizes;
    int patchWithin, elsewhereWithin;  // how far what the movie shows may be from the source
  };
  const std::pair<int, int> whole{kNoisyWidth, kNoisyHeight};
  // The patch's changed pixels widened to the 8 by 8 blocks counted from the top left.
  const std::pair<int, int> patchBlocks{16, 8};
  const Case cases[] = {
      {"exact comparison stores every change", 0, 1, 1, 3, {whole, whole, whole}, 0, 0},
      {"noise within the tolerance stores nothing", 3, 3, 0, 5, {whole}, 0, 3},
      {"noise past the tolerance both ways stores nothing", 2, 3, 0, 5, {whole}, 0, 3},
      {"noise past twice the tolerance is stored", 1, 3, 0, 3, {whole, whole, whole}, 0, 0},
      // Noise stored with the patch's blocks flips to the other side after.
      {"slow drift is caught once past the tolerance", 3, 3, 1, 9, {whole, patchBlocks, patchBlocks}, 3, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetFake();
    std::vector<Picture> frames;
    for (int k = 0; k < c.frameCount; ++k) frames.push_back(NoisyFrame(k, c.noise, c.drift));
    UseSource(kNoisyWidth, kNoisyHeight, 8, frames);
    settings.framesPerSecond = 8;
    settings.tolerance = c.tolerance;
    ASSERT_TRUE(Run());
    const SwfMovie movie = Movie();
    std::vector<std::pair<int, int>> sizes;
    for (const RawPicture& picture : StoredPictures(movie)) sizes.emplace_back(picture.width, picture.height);
    EXPECT_EQ(sizes, c.storedSizes);
    const Replay replay = ReplayMovie(movie, kNoisyWidth, kNoisyHeight);
    ASSERT_EQ(replay.error, "");
    ASSERT_EQ(replay.frames.size(), frames.size());
    for (std::size_t k = 0; k < frames.size(); ++k)
      for (int y = 0; y < kNoisyHeight; ++y)
        for (int x = 0; x < kNoisyWidth; ++x) {
          const std::size_t i = 3 * static_cast<std::size_t>((kNoisyHeight - 1 - y) * kNoisyWidth + x);
          ASSERT_LE(std::abs(replay.frames[k][i] - frames[k][i]), InPatch(x, y) ? c.patchWithin : c.elsewhereWithin)
              << "frame " << k << " at " << x << ", " << y;
        }
  }
}
