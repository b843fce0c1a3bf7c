// A lossless stand-in for the imaging module: pictures in plain memory, and
// "JPEG" files holding the width, the height and the rows as they are.
#pragma once

#include <atomic>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "media/pictavo/PictavoApi.h"

// Saves run on the conversion's JPEG threads, one at a time; the test reads
// what they recorded only after the run.
struct StandInImaging {
  std::atomic<int> livePictures = 0;              // pictures are made and freed on two threads
  int failSaves = 0;                              // the next this many saves write no file
  std::set<int> failSaveNumbers;                  // 0-based numbers of saves that write no file
  std::set<std::pair<int, int>> failNewdibSizes;  // newdib fails for pictures of these widths and heights
  int throwAtSave = -1;                           // this save throws std::runtime_error
  int slowSave = -1;                              // this save takes a while
  std::atomic<int> quality = 75;                  // as the module's quality setting
  std::vector<std::string> savedPaths;
  std::vector<int> formats;
  std::vector<void*> owners;
  std::vector<int> qualities;  // the quality each save used
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
