// Small clips made with the ffmpeg tool from lavfi sources, once, into the
// build folder; and helpers to read pictures and sound through the library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/mcl/mcl.h"

namespace mcltest {

// Path of the named clip, made on first use. Names: see TestClips.cpp.
std::string Clip(const std::string& name);
// A path in the clip folder for files a test writes itself.
std::string ScratchPath(const std::string& name);

// Bottom-up BGR rows of a picture of the given size.
struct Dib {
  DibInfoHeader info{};
  int stride = 0;
  std::vector<unsigned char> rows;

  Dib(int width, int height);
  // Pixel x of stored row r (row 0 is the bottom row).
  const unsigned char* Pixel(int x, int r) const { return rows.data() + r * stride + x * 3; }
};

// Fetches the image's current frame into dib; returns the lines written.
int FetchRows(MclImageHandle image, Dib& dib);

// Expected brightness (0..255 after conversion) of frame n of the gray clips,
// whose luma is 16 + (n * 37) mod 200.
int GrayLevelOfFrame(int n);

}  // namespace mcltest
