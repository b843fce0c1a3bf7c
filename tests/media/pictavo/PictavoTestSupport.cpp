#include "PictavoTestSupport.h"

#include <turbojpeg.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

std::filesystem::path ModuleDir() {
  const char* dir = std::getenv("TESSALINE_MODULE_DIR");
  return dir ? dir : PICTAVO_MODULE_DIR;
}

std::unique_ptr<PictavoModule> PictavoTest::module_;

void PictavoTest::SetUpTestSuite() {
  // A failed assertion here would skip the tests silently; SetUp reports it.
  module_ = PictavoModule::Load(ModuleDir());
}

void PictavoTest::TearDownTestSuite() { module_.reset(); }

void PictavoTest::SetUp() {
  ASSERT_NE(module_, nullptr) << "no complete libPictavo.so in " << ModuleDir();
  const auto* test = testing::UnitTest::GetInstance()->current_test_info();
  tempDir_ = std::filesystem::temp_directory_path() / ("pictavo-" + std::to_string(getpid()) + "-" + test->name());
  std::filesystem::create_directories(tempDir_);
}

void PictavoTest::TearDown() { std::filesystem::remove_all(tempDir_); }

ModuleDib::ModuleDib(const PictavoApi& api, int width, int height) : api_(api) {
  EXPECT_EQ(api_.newdib(&dib_, width, height, 24, 0, 0), 0);
}

void ModuleDib::Fill(const std::function<Rgb(int, int)>& colourAt) {
  for (int y = 0; y < Height(); ++y) {
    unsigned char* row = dib_.rows + static_cast<std::ptrdiff_t>(Height() - 1 - y) * dib_.rowLength;
    for (int x = 0; x < Width(); ++x) {
      const Rgb c = colourAt(x, y);
      row[3 * x] = static_cast<unsigned char>(c.b);
      row[3 * x + 1] = static_cast<unsigned char>(c.g);
      row[3 * x + 2] = static_cast<unsigned char>(c.r);
    }
  }
}

Rgb ModuleDib::At(int x, int y) const {
  const unsigned char* p = dib_.rows + static_cast<std::ptrdiff_t>(Height() - 1 - y) * dib_.rowLength + 3 * x;
  return {p[2], p[1], p[0]};
}

void ModuleDib::FillPadding(unsigned char value) {
  for (int y = 0; y < Height(); ++y)
    for (int i = 3 * Width(); i < dib_.rowLength; ++i) dib_.rows[y * dib_.rowLength + i] = value;
}

Rgb DecodedPicture::At(int x, int y) const {
  const unsigned char* p = &rgb[3 * (static_cast<std::size_t>(y) * width + x)];
  return {p[0], p[1], p[2]};
}

std::vector<unsigned char> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

DecodedPicture DecodeJpeg(const std::vector<unsigned char>& jpeg) {
  std::unique_ptr<void, int (*)(tjhandle)> decoder(tjInitDecompress(), tjDestroy);
  DecodedPicture out;
  int colourspace = 0;
  if (!decoder || jpeg.empty() ||
      tjDecompressHeader3(decoder.get(), jpeg.data(), jpeg.size(), &out.width, &out.height, &out.subsampling,
                          &colourspace) != 0) {
    ADD_FAILURE() << "not a readable JPEG: " << tjGetErrorStr2(decoder.get());
    return {};
  }
  out.rgb.resize(static_cast<std::size_t>(out.width) * out.height * 3);
  // Box upsampling of the halved chroma shows what the file holds; smooth
  // upsampling would blur hard colour edges by itself.
  if (tjDecompress2(decoder.get(), jpeg.data(), jpeg.size(), out.rgb.data(), out.width, 0, out.height, TJPF_RGB,
                    TJFLAG_FASTUPSAMPLE) != 0)
    ADD_FAILURE() << "JPEG does not decode: " << tjGetErrorStr2(decoder.get());
  return out;
}

int LargestDifference(const ModuleDib& source, const DecodedPicture& decoded) {
  int largest = 0;
  for (int y = 0; y < source.Height(); ++y)
    for (int x = 0; x < source.Width(); ++x) {
      const Rgb a = source.At(x, y);
      const Rgb b = decoded.At(x, y);
      largest = std::max({largest, std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
    }
  return largest;
}

double Psnr(const ModuleDib& source, const DecodedPicture& decoded) {
  double squares = 0;
  for (int y = 0; y < source.Height(); ++y)
    for (int x = 0; x < source.Width(); ++x) {
      const Rgb a = source.At(x, y);
      const Rgb b = decoded.At(x, y);
      squares += (a.r - b.r) * (a.r - b.r) + (a.g - b.g) * (a.g - b.g) + (a.b - b.b) * (a.b - b.b);
    }
  const double mse = squares / (3.0 * source.Width() * source.Height());
  return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}
