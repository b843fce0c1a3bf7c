#include "tests/convert/StandInImaging.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace {

StandInImaging state;

int RowLength(int width) { return (width * 3 + 3) & ~3; }

int NewDib(DibRecord* dib, int width, int height, int bitsPerPixel, int, int) {
  if (bitsPerPixel != 24 || state.failNewdibSizes.count({width, height}) != 0) return 1;
  const std::size_t imageBytes = static_cast<std::size_t>(RowLength(width)) * static_cast<std::size_t>(height);
  void* block = std::calloc(1, sizeof(DibInfoHeader) + imageBytes);
  auto* info = static_cast<DibInfoHeader*>(block);
  info->headerSize = sizeof(DibInfoHeader);
  info->width = width;
  info->height = height;
  info->planes = 1;
  info->bitCount = 24;
  *dib =
      DibRecord{info, block, imageBytes, static_cast<unsigned char*>(block) + sizeof(DibInfoHeader), RowLength(width)};
  ++state.livePictures;
  return 0;
}

int DelDib(DibRecord dib) {
  std::free(dib.block);
  --state.livePictures;
  return 0;
}

void PutInt(std::FILE* file, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  const unsigned char bytes[4] = {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
                                  static_cast<unsigned char>(bits >> 16), static_cast<unsigned char>(bits >> 24)};
  std::fwrite(bytes, 1, 4, file);
}

std::mutex saving;  // saves of two JPEG threads take turns

int SaveDib(DibRecord dib, const char* path, int format, void* owner) {
  const std::lock_guard lock(saving);
  const int number = static_cast<int>(state.savedPaths.size());
  if (number == state.slowSave) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  if (number == state.throwAtSave) throw std::runtime_error("stand-in save failed");
  state.savedPaths.emplace_back(path);
  state.formats.push_back(format);
  state.owners.push_back(owner);
  state.qualities.push_back(state.quality);
  if (state.failSaveNumbers.count(number) != 0) return 1;
  if (state.failSaves > 0) {
    --state.failSaves;
    return 1;
  }
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return 1;
  PutInt(file, dib.info->width);
  PutInt(file, dib.info->height);
  for (int r = 0; r < dib.info->height; ++r)
    std::fwrite(dib.rows + static_cast<std::ptrdiff_t>(r) * dib.rowLength, 1,
                static_cast<std::size_t>(dib.info->width) * 3, file);
  std::fclose(file);
  return 0;
}

int OpenDib(DibRecord*, const char*) { return 1; }
int SetQuality(int quality) {
  state.quality = quality;
  return 0;
}

std::int32_t GetInt(const std::uint8_t* p) {
  return static_cast<std::int32_t>(p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
}

}  // namespace

StandInImaging& Imaging() { return state; }

void ResetImaging() {
  state.livePictures = 0;
  state.failSaves = 0;
  state.failSaveNumbers.clear();
  state.failNewdibSizes.clear();
  state.throwAtSave = -1;
  state.slowSave = -1;
  state.quality = 75;
  state.savedPaths.clear();
  state.formats.clear();
  state.owners.clear();
  state.qualities.clear();
}

const PictavoApi& StandInApi() {
  static const PictavoApi api{OpenDib, DelDib, SaveDib, NewDib, SetQuality};
  return api;
}

bool DecodeRawPicture(const std::uint8_t* data, std::size_t size, RawPicture& picture) {
  if (size < 8) return false;
  picture.width = GetInt(data);
  picture.height = GetInt(data + 4);
  const std::size_t bytes = static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height) * 3;
  if (picture.width <= 0 || picture.height <= 0 || size != 8 + bytes) return false;
  picture.rows.assign(data + 8, data + 8 + bytes);
  return true;
}
