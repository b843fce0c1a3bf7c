// A lossless stand-in for the imaging module: pictures in plain memory, and
// "JPEG" files holding the width, the height and the rows as they are.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/pictavo/PictavoApi.h"

struct StandInImaging {
  int livePictures = 0;
  int failSaves = 0;  // the next this many saves write no file
  std::vector<std::string> savedPaths;
  std::vector<int> formats;
  std::vector<void*> owners;
};

StandInImaging& Imaging();
void ResetImaging();
const PictavoApi& StandInApi();

// A saved file's contents: width and height (32-bit, low byte first), then the
// rows bottom row first, 3 bytes a pixel.
struct RawPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rows;
};
bool DecodeRawPicture(const std::uint8_t* data, std::size_t size, RawPicture& picture);
