#include "media/mcl/DibWriter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace mcl {
namespace {

// swscale converts whole rows of this many pixels without writing past them,
// and their rows need no padding.
constexpr int kWholeRowPixels = 16;

SwsContext* PrepareScaler(ScalerCache& cache, const AVFrame& frame, int width, int height) {
  SwsContext* context =
      sws_getCachedContext(cache.context.release(), frame.width, frame.height, static_cast<AVPixelFormat>(frame.format),
                           width, height, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr);
  cache.context.reset(context);
  if (context == nullptr) {
    cache.tunedFor = {};
    return nullptr;
  }
  // High-definition sources are coded with other colour weights than SD ones.
  const int matrix = frame.colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_ITU601;
  const int fullRange = frame.color_range == AVCOL_RANGE_JPEG ? 1 : 0;
  const std::array<int, 7> wanted{frame.width, frame.height, frame.format, width, height, matrix, fullRange};
  if (cache.tunedFor == wanted) return context;
  cache.tunedFor = wanted;
  int* inverse = nullptr;
  int* table = nullptr;
  int srcRange = 0;
  int dstRange = 0;
  int brightness = 0;
  int contrast = 0;
  int saturation = 0;
  if (sws_getColorspaceDetails(context, &inverse, &srcRange, &table, &dstRange, &brightness, &contrast, &saturation) >=
      0) {
    sws_setColorspaceDetails(context, sws_getCoefficients(matrix), fullRange || srcRange, table, dstRange, brightness,
                             contrast, saturation);
  }
  return context;
}

// The BGR picture of the wanted size, allocated once per size.
AVFrame* PictureOfSize(ScalerCache& cache, int width, int height) {
  AVFrame* picture = cache.picture.get();
  if (picture != nullptr && picture->width == width && picture->height == height) return picture;
  cache.picture.reset(av_frame_alloc());
  picture = cache.picture.get();
  if (picture == nullptr) return nullptr;
  picture->format = AV_PIX_FMT_BGR24;
  picture->width = width;
  picture->height = height;
  if (av_frame_get_buffer(picture, 0) < 0) {
    cache.picture.reset();
    return nullptr;
  }
  return picture;
}

}  // namespace

int WriteDibRows(ScalerCache& cache, const AVFrame& frame, int firstLine, int lineCount, unsigned char* rows,
                 const DibInfoHeader& info) {
  const int width = info.width;
  const int height = std::abs(info.height);
  if (frame.data[0] == nullptr || rows == nullptr || width <= 0 || height <= 0) return 0;
  if (firstLine < 0 || firstLine >= height || lineCount <= 0) return 0;
  lineCount = std::min(lineCount, height - firstLine);
  SwsContext* context = PrepareScaler(cache, frame, width, height);
  if (context == nullptr) return -1;
  const auto stride = static_cast<std::ptrdiff_t>((static_cast<std::size_t>(width) * 3 + 3) / 4 * 4);
  const bool bottomUp = info.height > 0;
  if (width % kWholeRowPixels == 0 && firstLine == 0 && lineCount == height) {
    // Top row first, from the last stored row down when the rows are stored bottom-up.
    std::uint8_t* const into[4] = {bottomUp ? rows + (height - 1) * stride : rows, nullptr, nullptr, nullptr};
    const int intoStride[4] = {static_cast<int>(bottomUp ? -stride : stride), 0, 0, 0};
    sws_scale(context, frame.data, frame.linesize, 0, frame.height, into, intoStride);
    return lineCount;
  }
  AVFrame* picture = PictureOfSize(cache, width, height);
  if (picture == nullptr) return -1;
  sws_scale(context, frame.data, frame.linesize, 0, frame.height, picture->data, picture->linesize);
  const std::size_t used = static_cast<std::size_t>(width) * 3;
  for (int k = 0; k < lineCount; ++k) {
    const int line = firstLine + k;
    const int topDownRow = bottomUp ? height - 1 - line : line;
    unsigned char* row = rows + k * stride;
    std::memcpy(row, picture->data[0] + static_cast<std::ptrdiff_t>(topDownRow) * picture->linesize[0], used);
    std::memset(row + used, 0, static_cast<std::size_t>(stride) - used);
  }
  return lineCount;
}

}  // namespace mcl
