#include "media/pictavo/DibAllocation.h"

#include <cstdint>
#include <cstdlib>

namespace {

constexpr int kSupportedBits = 24;

// The header's imageSize is 32 bits wide, so no picture may be larger.
constexpr std::uint64_t kMaxBlockBytes = UINT32_MAX;

void FillHeader(DibInfoHeader& info, int width, int height, std::uint32_t imageBytes) {
  info = DibInfoHeader{};
  info.headerSize = sizeof(DibInfoHeader);
  info.width = width;
  info.height = height;  // positive: bottom row first
  info.planes = 1;
  info.bitCount = kSupportedBits;
  info.compression = 0;  // uncompressed RGB
  info.imageSize = imageBytes;
}

}  // namespace

int AllocateDib(DibRecord& dib, int width, int height, int bitsPerPixel) {
  dib = DibRecord{};
  if (width <= 0 || height <= 0 || bitsPerPixel != kSupportedBits) return 1;
  const std::uint64_t rowLength = (std::uint64_t{3} * width + 3) & ~std::uint64_t{3};
  const std::uint64_t imageBytes = rowLength * static_cast<std::uint64_t>(height);
  if (imageBytes > kMaxBlockBytes - sizeof(DibInfoHeader)) return 2;

  void* block = std::calloc(1, sizeof(DibInfoHeader) + imageBytes);
  if (block == nullptr) return 3;
  auto* info = static_cast<DibInfoHeader*>(block);
  FillHeader(*info, width, height, static_cast<std::uint32_t>(imageBytes));
  dib.info = info;
  dib.block = block;
  dib.imageBytes = imageBytes;
  dib.rows = static_cast<unsigned char*>(block) + sizeof(DibInfoHeader);
  dib.rowLength = static_cast<std::int32_t>(rowLength);
  return 0;
}

void FreeDib(const DibRecord& dib) { std::free(dib.block); }
