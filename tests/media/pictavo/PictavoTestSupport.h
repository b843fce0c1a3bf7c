// Shared pieces of the imaging module tests: the loaded module, pictures
// filled with known colours, and JPEG decoding through TurboJPEG.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "media/pictavo/PictavoModule.h"

// TESSALINE_MODULE_DIR, or else the folder the build put the module in.
std::filesystem::path ModuleDir();

struct Rgb {
  int r, g, b;
};

// Loads the built module once per suite.
class PictavoTest : public testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  const PictavoApi& Api() const { return module_->Api(); }
  std::filesystem::path TempFile(const char* name) const { return tempDir_ / name; }

  static std::unique_ptr<PictavoModule> module_;
  std::filesystem::path tempDir_;
};

// A picture made by the module's newdib and freed by its deldib.
class ModuleDib {
 public:
  ModuleDib(const PictavoApi& api, int width, int height);
  ~ModuleDib() { api_.deldib(dib_); }
  ModuleDib(const ModuleDib&) = delete;
  ModuleDib& operator=(const ModuleDib&) = delete;

  const DibRecord& Record() const { return dib_; }
  int Width() const { return dib_.info->width; }
  int Height() const { return dib_.info->height; }
  // y counts from the top of the picture, as a viewer sees it.
  void Fill(const std::function<Rgb(int x, int y)>& colourAt);
  Rgb At(int x, int y) const;
  void FillPadding(unsigned char value);

 private:
  const PictavoApi& api_;
  DibRecord dib_{};
};

struct DecodedPicture {
  int width = 0;
  int height = 0;
  int subsampling = -1;
  std::vector<unsigned char> rgb;  // top row first
  Rgb At(int x, int y) const;
};

std::vector<unsigned char> ReadBytes(const std::filesystem::path& path);
DecodedPicture DecodeJpeg(const std::vector<unsigned char>& jpeg);
double Psnr(const ModuleDib& source, const DecodedPicture& decoded);
int LargestDifference(const ModuleDib& source, const DecodedPicture& decoded);
