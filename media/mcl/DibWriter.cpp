#include "media/mcl/DibWriter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace mcl {
namespace {

// swscale converts whole rows of this many pixels without writing past them,
// and their rows need no padding.
constexpr int kWholeRowPixels = 16;

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

// Whether a test picture of the frame's size and format, its samples spread
// over all values, comes out of the fast conversion as out of the context.
// swscale picks its method by size and processor: an odd height, for one,
// takes another path with other rounding.
bool FastMatchesSwscale(ScalerCache& cache, const AVFrame& frame, const BgrWeights& weights) {
  const FramePtr probe(av_frame_alloc());
  if (!probe) return false;
  probe->format = frame.format;
  probe->width = frame.width;
  probe->height = frame.height;
  if (av_frame_get_buffer(probe.get(), 0) < 0) return false;
  for (int plane = 0; plane < 3; ++plane) {
    const int rows = plane == 0 ? frame.height : (frame.height + 1) / 2;
    const int columns = plane == 0 ? frame.width : (frame.width + 1) / 2;
    for (int y = 0; y < rows; ++y) {
      std::uint8_t* row = probe->data[plane] + static_cast<std::ptrdiff_t>(y) * probe->linesize[plane];
      for (int x = 0; x < columns; ++x) row[x] = static_cast<std::uint8_t>(x * 37 + y * 101 + x * y + plane * 59);
    }
  }
  AVFrame* theirs = PictureOfSize(cache, frame.width, frame.height);
  if (theirs == nullptr) return false;
  sws_scale(cache.context.get(), probe->data, probe->linesize, 0, frame.height, theirs->data, theirs->linesize);
  const auto rowBytes = static_cast<std::size_t>(frame.width) * 3;
  std::vector<std::uint8_t> ours(rowBytes * static_cast<std::size_t>(frame.height));
  ConvertToBgr(*probe, weights, ours.data(), static_cast<std::ptrdiff_t>(rowBytes));
  for (int y = 0; y < frame.height; ++y) {
    const std::uint8_t* their = theirs->data[0] + static_cast<std::ptrdiff_t>(y) * theirs->linesize[0];
    if (std::memcmp(their, ours.data() + y * rowBytes, rowBytes) != 0) return false;
  }
  return true;
}

}  // namespace

int ColourMatrixOf(const AVFrame& frame) {
  // RGB pictures are scaled through the context's own matrix both ways.
  const AVPixFmtDescriptor* format = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame.format));
  if (format != nullptr && (format->flags & AV_PIX_FMT_FLAG_RGB) != 0) return SWS_CS_ITU601;
  switch (frame.colorspace) {
    case AVCOL_SPC_BT709:
      return SWS_CS_ITU709;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M:
      return SWS_CS_ITU601;
    case AVCOL_SPC_FCC:
      return SWS_CS_FCC;
    case AVCOL_SPC_SMPTE240M:
      return SWS_CS_SMPTE240M;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL:
      return SWS_CS_BT2020;
    default:
      // Untagged: the weights players assume, HD's from 1280 wide or 720 high.
      return frame.width >= 1280 || frame.height >= 720 ? SWS_CS_ITU709 : SWS_CS_ITU601;
  }
}

namespace {

// A context made for the frame's size, format and colours, kept while they
// stay. Not sws_getCachedContext: swscale adds flags of its own (full
// chroma for odd widths), after which that call made a new context for every
// frame, without the colour details set here.
SwsContext* PrepareScaler(ScalerCache& cache, const AVFrame& frame, int width, int height) {
  const int matrix = ColourMatrixOf(frame);
  const int fullRange = frame.color_range == AVCOL_RANGE_JPEG ? 1 : 0;
  const std::array<int, 7> wanted{frame.width, frame.height, frame.format, width, height, matrix, fullRange};
  if (cache.context && cache.tunedFor == wanted) return cache.context.get();
  cache.tunedFor = {};
  cache.fastWeights.reset();
  cache.context.reset(sws_getContext(frame.width, frame.height, static_cast<AVPixelFormat>(frame.format), width, height,
                                     AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr));
  SwsContext* context = cache.context.get();
  if (context == nullptr) return nullptr;
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
    const int* coefficients = sws_getCoefficients(matrix);
    const bool sourceFullRange = fullRange || srcRange;
    sws_setColorspaceDetails(context, coefficients, sourceFullRange, table, dstRange, brightness, contrast, saturation);
    const bool unscaled = frame.width == width && frame.height == height;
    if (unscaled && cache.fastAllowed && FastBgrSupported() && FastBgrReads(frame)) {
      const BgrWeights weights = WeightsFor(coefficients, sourceFullRange, brightness, contrast, saturation);
      if (FastMatchesSwscale(cache, frame, weights)) cache.fastWeights = weights;
    }
  }
  return context;
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
  const std::size_t used = static_cast<std::size_t>(width) * 3;
  const bool bottomUp = info.height > 0;
  if (firstLine == 0 && lineCount == height && (cache.fastWeights || width % kWholeRowPixels == 0)) {
    // Top row first, from the last stored row down when the rows are stored bottom-up.
    std::uint8_t* const top = bottomUp ? rows + (height - 1) * stride : rows;
    const std::ptrdiff_t topDownStride = bottomUp ? -stride : stride;
    if (cache.fastWeights) {
      ConvertToBgr(frame, *cache.fastWeights, top, topDownStride);
      if (static_cast<std::size_t>(stride) > used) {
        for (int k = 0; k < height; ++k)
          std::memset(rows + k * stride + used, 0, static_cast<std::size_t>(stride) - used);
      }
      return lineCount;
    }
    std::uint8_t* const into[4] = {top, nullptr, nullptr, nullptr};
    const int intoStride[4] = {static_cast<int>(topDownStride), 0, 0, 0};
    sws_scale(context, frame.data, frame.linesize, 0, frame.height, into, intoStride);
    return lineCount;
  }
  AVFrame* picture = PictureOfSize(cache, width, height);
  if (picture == nullptr) return -1;
  if (cache.fastWeights)
    ConvertToBgr(frame, *cache.fastWeights, picture->data[0], picture->linesize[0]);
  else
    sws_scale(context, frame.data, frame.linesize, 0, frame.height, picture->data, picture->linesize);
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
