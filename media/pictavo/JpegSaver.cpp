#include "media/pictavo/JpegSaver.h"

#include <turbojpeg.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>

namespace {

struct TjHandleDeleter {
  void operator()(void* handle) const { tjDestroy(handle); }
};
struct TjBufferDeleter {
  void operator()(unsigned char* buffer) const { tjFree(buffer); }
};
using TjHandle = std::unique_ptr<void, TjHandleDeleter>;
using TjBuffer = std::unique_ptr<unsigned char, TjBufferDeleter>;

// One compressor and one output buffer per thread, kept from picture to
// picture: making them anew each time cost page faults and allocator work
// for every picture of a conversion.
struct Compressor {
  TjHandle handle;
  TjBuffer buffer;
  unsigned long capacity = 0;
};
thread_local Compressor compressor;

bool IsValidPicture(const DibRecord& dib) {
  if (dib.info == nullptr || dib.rows == nullptr) return false;
  const DibInfoHeader& info = *dib.info;
  return info.bitCount == 24 && info.width > 0 && info.height > 0 &&
         static_cast<long long>(dib.rowLength) >= 3LL * info.width;
}

bool WriteFile(const char* path, const unsigned char* data, unsigned long size) {
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    if (out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size)) && out.flush()) return true;
  }
  std::error_code ignored;  // a cut-off JPEG is worse than none
  std::filesystem::remove(path, ignored);
  return false;
}

}  // namespace

bool SaveDibAsJpeg(const DibRecord& dib, const char* path, int quality) {
  if (path == nullptr || !IsValidPicture(dib)) return false;
  Compressor& c = compressor;
  if (!c.handle) c.handle.reset(tjInitCompress());
  if (!c.handle) return false;
  // Video sources already carry colour at half resolution both ways, so 4:2:0
  // loses next to nothing and keeps the movie's pictures small.
  const unsigned long needed = tjBufSize(dib.info->width, dib.info->height, TJSAMP_420);
  if (needed == static_cast<unsigned long>(-1) || needed > std::numeric_limits<int>::max()) return false;
  if (c.capacity < needed) {
    c.buffer.reset(tjAlloc(static_cast<int>(needed)));
    c.capacity = c.buffer ? needed : 0;
    if (!c.buffer) return false;
  }
  unsigned char* jpeg = c.buffer.get();
  unsigned long jpegSize = c.capacity;
  const int result =
      tjCompress2(c.handle.get(), dib.rows, dib.info->width, dib.rowLength, dib.info->height, TJPF_BGR, &jpeg,
                  &jpegSize, TJSAMP_420, std::clamp(quality, 1, 100), TJFLAG_BOTTOMUP | TJFLAG_NOREALLOC);
  if (result != 0) return false;
  return WriteFile(path, jpeg, jpegSize);
}
