// The module's C entry points, resolved by name by the loader. No exception
// may leave them: the caller is C.
#include <algorithm>
#include <atomic>
#include <type_traits>

#include "media/pictavo/DibAllocation.h"
#include "media/pictavo/JpegSaver.h"
#include "media/pictavo/PictavoApi.h"

#define PICTAVO_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int kJpegFormat = 7;
// Set from the window's thread while a conversion's worker may be saving.
std::atomic<int> jpegQuality{75};

template <typename Body>
int Guarded(Body body) {
  try {
    return body();
  } catch (...) {
    return 1;
  }
}

}  // namespace

// Reading pictures is not offered; the entry point only has to exist.
PICTAVO_EXPORT int OpenDib(DibRecord*, const char*) { return 1; }

PICTAVO_EXPORT int newdib(DibRecord* dib, int width, int height, int bitsPerPixel, int, int) {
  if (dib == nullptr) return 1;
  return Guarded([&] { return AllocateDib(*dib, width, height, bitsPerPixel); });
}

PICTAVO_EXPORT int deldib(DibRecord dib) {
  return Guarded([&] {
    FreeDib(dib);
    return 0;
  });
}

PICTAVO_EXPORT int SaveDib(DibRecord dib, const char* path, int format, void*) {
  if (format != kJpegFormat) return 1;
  return Guarded([&] { return SaveDibAsJpeg(dib, path, jpegQuality.load()) ? 0 : 1; });
}

PICTAVO_EXPORT int SetJPEGQual(int quality) {
  return Guarded([&] {
    jpegQuality = std::clamp(quality, 0, 100);
    return 0;
  });
}

// The exported functions must match the loader's pointer types.
static_assert(std::is_same_v<decltype(&OpenDib), PictavoOpenDibFn>);
static_assert(std::is_same_v<decltype(&newdib), PictavoNewdibFn>);
static_assert(std::is_same_v<decltype(&deldib), PictavoDeldibFn>);
static_assert(std::is_same_v<decltype(&SaveDib), PictavoSaveDibFn>);
static_assert(std::is_same_v<decltype(&SetJPEGQual), PictavoSetJPEGQualFn>);
