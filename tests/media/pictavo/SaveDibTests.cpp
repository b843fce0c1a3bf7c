#include <turbojpeg.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <random>
#include <set>

#include "PictavoTestSupport.h"
#include "media/pictavo/JpegSaver.h"

namespace {

using SaveDib = PictavoTest;

constexpr int kJpegFormat = 7;

// Gradients in all three channels, a red block near the top left and a blue
// block near the bottom right; both blocks sit on whole 16-pixel squares.
Rgb TestCard(int x, int y) {
  if (x >= 32 && x < 96 && y >= 32 && y < 96) return {255, 0, 0};
  if (x >= 224 && x < 288 && y >= 144 && y < 208) return {0, 0, 255};
  return {x * 255 / 319, y * 255 / 239, 255 - (x + y) * 255 / 558};
}

// Gentle gradients, far from the 0xFF written into the row padding.
std::function<Rgb(int, int)> Smooth(int width, int height) {
  return [=](int x, int y) {
    return Rgb{90 + 40 * x / width, 110 + 30 * y / height, 130 + 20 * (x + y) / (width + height)};
  };
}

std::vector<unsigned char> SaveAt(const PictavoApi& api, const ModuleDib& picture, int quality,
                                  const std::filesystem::path& path) {
  api.SetJPEGQual(quality);
  EXPECT_EQ(api.SaveDib(picture.Record(), path.c_str(), kJpegFormat, nullptr), 0);
  return ReadBytes(path);
}

// The markers between start of image and start of scan.
std::set<int> HeaderMarkers(const std::vector<unsigned char>& jpeg) {
  std::set<int> markers;
  size_t at = 2;
  while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
    const int marker = jpeg[at + 1];
    markers.insert(marker);
    if (marker == 0xDA) break;  // start of scan: entropy-coded data follows
    at += 2 + (jpeg[at + 2] << 8 | jpeg[at + 3]);
  }
  return markers;
}

TEST_F(SaveDib, RoundTripAtQuality90KeepsPictureOrientationAndColours) {
  ModuleDib picture(Api(), 320, 240);
  picture.Fill(TestCard);
  const DecodedPicture decoded = DecodeJpeg(SaveAt(Api(), picture, 90, TempFile("card.jpg")));
  ASSERT_EQ(decoded.width, 320);
  ASSERT_EQ(decoded.height, 240);
  EXPECT_GT(Psnr(picture, decoded), 35.0);

  // The last stored row is the top of the picture, where the red block is.
  const Rgb red = decoded.At(64, 64);
  EXPECT_GT(red.r, 230);
  EXPECT_LT(red.g, 25);
  EXPECT_LT(red.b, 25);
  const Rgb blue = decoded.At(256, 176);
  EXPECT_LT(blue.r, 25);
  EXPECT_LT(blue.g, 25);
  EXPECT_GT(blue.b, 230);
}

TEST_F(SaveDib, WritesWholeBaselineJpegWithHalvedChroma) {
  ModuleDib picture(Api(), 320, 240);
  picture.Fill(TestCard);
  const std::vector<unsigned char> jpeg = SaveAt(Api(), picture, 50, TempFile("card.jpg"));
  ASSERT_GT(jpeg.size(), 4u);
  EXPECT_EQ(jpeg[0], 0xFF);  // start of image
  EXPECT_EQ(jpeg[1], 0xD8);
  EXPECT_EQ(jpeg[jpeg.size() - 2], 0xFF);  // end of image
  EXPECT_EQ(jpeg[jpeg.size() - 1], 0xD9);
  const std::set<int> markers = HeaderMarkers(jpeg);
  EXPECT_TRUE(markers.count(0xC0)) << "baseline frame header expected";
  EXPECT_FALSE(markers.count(0xC2)) << "progressive frame header found";
  EXPECT_TRUE(markers.count(0xDA)) << "no scan";
  EXPECT_EQ(DecodeJpeg(jpeg).subsampling, TJSAMP_420);
}

// The same picture through TurboJPEG: the usual quantisation and Huffman tables.
std::vector<unsigned char> UsualTableJpeg(const ModuleDib& picture, int quality) {
  std::unique_ptr<void, int (*)(tjhandle)> encoder(tjInitCompress(), tjDestroy);
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  const DibRecord& dib = picture.Record();
  EXPECT_EQ(tjCompress2(encoder.get(), dib.rows, picture.Width(), dib.rowLength, picture.Height(), TJPF_BGR, &jpeg,
                        &size, TJSAMP_420, quality, TJFLAG_BOTTOMUP | TJFLAG_ACCURATEDCT),
            0);
  std::vector<unsigned char> bytes(jpeg, jpeg + size);
  tjFree(jpeg);
  return bytes;
}

// The 16 code-length counts of every Huffman table in the file.
std::vector<std::vector<int>> HuffmanCounts(const std::vector<unsigned char>& jpeg) {
  std::vector<std::vector<int>> tables;
  for (size_t at = 2; at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] != 0xDA;
       at += 2 + (jpeg[at + 2] << 8 | jpeg[at + 3])) {
    if (jpeg[at + 1] != 0xC4) continue;
    const size_t end = at + 2 + (jpeg[at + 2] << 8 | jpeg[at + 3]);
    for (size_t table = at + 4; table + 17 <= end;) {
      std::vector<int> counts(jpeg.begin() + table + 1, jpeg.begin() + table + 17);
      table += 17 + std::accumulate(counts.begin(), counts.end(), size_t{0});
      tables.push_back(counts);
    }
  }
  return tables;
}

TEST_F(SaveDib, BaselineWithHuffmanTablesMadeForThePictureSmallerAtTheSameQuality) {
  // The code-length counts of the usual AC tables for brightness and colour.
  const std::vector<int> usualAc[] = {{0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7D},
                                      {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77}};
  struct Case {
    int width, height, quality;
    std::function<Rgb(int, int)> colours;
  };
  const Case cases[] = {{320, 240, 75, TestCard}, {320, 240, 50, Smooth(320, 240)}, {33, 17, 90, TestCard}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " at " << c.quality);
    ModuleDib picture(Api(), c.width, c.height);
    picture.Fill(c.colours);
    const std::vector<unsigned char> ours = SaveAt(Api(), picture, c.quality, TempFile("opt.jpg"));
    const std::vector<unsigned char> usual = UsualTableJpeg(picture, c.quality);
    EXPECT_LT(ours.size(), usual.size());
    EXPECT_TRUE(HeaderMarkers(ours).count(0xC0)) << "baseline frame header expected";
    const std::vector<std::vector<int>> tables = HuffmanCounts(ours);
    EXPECT_EQ(tables.size(), 4u);
    for (const std::vector<int>& counts : tables)
      for (const std::vector<int>& usualCounts : usualAc) EXPECT_NE(counts, usualCounts);
    EXPECT_GT(Psnr(picture, DecodeJpeg(ours)), Psnr(picture, DecodeJpeg(usual)) - 0.5);
  }
}

TEST_F(SaveDib, QuickSymbolCountsGiveTheLibrarysBytes) {
  std::mt19937 random(7);
  const auto noise = [&random](int, int) {
    return Rgb{static_cast<int>(random() % 256), static_cast<int>(random() % 256), static_cast<int>(random() % 256)};
  };
  // Lone dots on grey: runs of zero coefficients of every length.
  const auto dots = [&random](int, int) { return random() % 23 == 0 ? Rgb{255, 160, 60} : Rgb{128, 128, 128}; };
  struct Case {
    int width, height;
    std::function<Rgb(int, int)> colours;
  };
  std::vector<Case> cases{
      {320, 240, TestCard}, {33, 17, Smooth(33, 17)}, {61, 47, noise}, {96, 64, dots}, {1, 1, TestCard}};
  // Small pictures, in whose tables each symbol weighs.
  for (int n = 0; n < 40; ++n) cases.push_back({16, 16, dots});
  for (const Case& c : cases) {
    ModuleDib picture(Api(), c.width, c.height);
    picture.Fill(c.colours);
    for (const int quality : {1, 50, 90, 100}) {
      SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " at " << quality);
      std::vector<unsigned char> quickRoom;
      std::vector<unsigned char> libraryRoom;
      const auto quick = EncodeJpeg(picture.Record(), quality, quickRoom, SymbolCounting::Quick);
      const auto library = EncodeJpeg(picture.Record(), quality, libraryRoom, SymbolCounting::Library);
      ASSERT_FALSE(library.empty());
      EXPECT_TRUE(std::ranges::equal(quick, library));
    }
  }
}

TEST_F(SaveDib, LowerQualityGivesSmallerFile) {
  ModuleDib picture(Api(), 320, 240);
  picture.Fill(TestCard);
  size_t previous = SIZE_MAX;
  for (int quality : {100, 90, 75, 50, 20, 0}) {
    SCOPED_TRACE(quality);
    const size_t size = SaveAt(Api(), picture, quality, TempFile("q.jpg")).size();
    EXPECT_LT(size, previous);
    previous = size;
  }
}

TEST_F(SaveDib, ClampsQualityToZeroToHundred) {
  ModuleDib picture(Api(), 64, 48);
  picture.Fill(TestCard);
  const auto at = [&](int quality) { return SaveAt(Api(), picture, quality, TempFile("q.jpg")); };
  const std::vector<unsigned char> lowest = at(0);
  const std::vector<unsigned char> highest = at(100);
  ASSERT_NE(lowest, highest);
  EXPECT_EQ(at(-5), lowest);
  EXPECT_EQ(at(INT_MIN), lowest);
  EXPECT_EQ(at(150), highest);
  EXPECT_EQ(at(1), lowest);  // the encoder's lowest quality stands in for 0
  EXPECT_EQ(DecodeJpeg(lowest).width, 64);
}

TEST_F(SaveDib, EncodesOddWidthsThroughRowPadding) {
  struct Size {
    int width, height;
  };
  for (const Size size : {Size{1, 1}, Size{3, 2}, Size{321, 179}, Size{17, 9}}) {
    SCOPED_TRACE(testing::Message() << size.width << "x" << size.height);
    ModuleDib picture(Api(), size.width, size.height);
    picture.Fill(Smooth(size.width, size.height));
    picture.FillPadding(0xFF);  // read as pixels, this would show at once
    const DecodedPicture decoded = DecodeJpeg(SaveAt(Api(), picture, 90, TempFile("odd.jpg")));
    ASSERT_EQ(decoded.width, size.width);
    ASSERT_EQ(decoded.height, size.height);
    EXPECT_LE(LargestDifference(picture, decoded), 16);
  }
}

TEST_F(SaveDib, ReportsUnwritablePathsWithoutLeavingFiles) {
  ModuleDib picture(Api(), 8, 8);
  Api().SetJPEGQual(75);
  const std::filesystem::path missingFolder = TempFile("missing") / "x.jpg";
  EXPECT_NE(Api().SaveDib(picture.Record(), missingFolder.c_str(), kJpegFormat, nullptr), 0);
  EXPECT_FALSE(std::filesystem::exists(missingFolder));
  EXPECT_NE(Api().SaveDib(picture.Record(), tempDir_.c_str(), kJpegFormat, nullptr), 0);
  EXPECT_TRUE(std::filesystem::is_directory(tempDir_));
  EXPECT_NE(Api().SaveDib(picture.Record(), nullptr, kJpegFormat, nullptr), 0);
}

TEST_F(SaveDib, RefusesBadRecordsAndOtherFormats) {
  ModuleDib picture(Api(), 8, 8);
  const std::filesystem::path path = TempFile("bad.jpg");
  const auto save = [&](DibRecord dib, int format) { return Api().SaveDib(dib, path.c_str(), format, nullptr); };
  DibRecord noHeader = picture.Record();
  noHeader.info = nullptr;
  DibRecord noRows = picture.Record();
  noRows.rows = nullptr;
  DibRecord shortRows = picture.Record();
  shortRows.rowLength = 8 * 3 - 1;
  EXPECT_NE(save(DibRecord{}, kJpegFormat), 0);
  EXPECT_NE(save(noHeader, kJpegFormat), 0);
  EXPECT_NE(save(noRows, kJpegFormat), 0);
  EXPECT_NE(save(shortRows, kJpegFormat), 0);
  EXPECT_NE(save(picture.Record(), 6), 0);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(save(picture.Record(), kJpegFormat), 0);  // the record itself was fine
}

TEST_F(SaveDib, ReportsEncoderFailureWithoutLeavingFile) {
  ModuleDib picture(Api(), 70000, 1);  // wider than a JPEG frame may be
  const std::filesystem::path path = TempFile("wide.jpg");
  EXPECT_NE(Api().SaveDib(picture.Record(), path.c_str(), kJpegFormat, nullptr), 0);
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
