#include "media/mcl/FastBgr.h"

#include <algorithm>
#include <array>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define TESSALINE_FAST_BGR 1
#endif

namespace mcl {
namespace {

// Samples are shifted up by three bits before weighting; 128 is no colour.
constexpr std::int16_t kNoColour = 128 << 3;

std::int16_t RoundToInt16(std::int64_t value) {
  const std::int64_t rounded = (value + (1 << 15)) >> 16;
  return static_cast<std::int16_t>(std::clamp<std::int64_t>(rounded, -0x8000, 0x7FFF));
}

#ifdef TESSALINE_FAST_BGR

constexpr int kBlockPixels = 32;
constexpr int kRowsAhead = 2;
constexpr int kCacheLine = 64;

// The vector code's arithmetic for one pixel, lane by lane.
std::int16_t SaturatedSum(int a, int b) { return static_cast<std::int16_t>(std::clamp(a + b, -0x8000, 0x7FFF)); }
std::int16_t HighHalf(std::int16_t a, std::int16_t b) { return static_cast<std::int16_t>((a * b) >> 16); }
std::uint8_t ToByte(std::int16_t value) { return static_cast<std::uint8_t>(std::clamp<int>(value, 0, 255)); }

void ConvertPixel(std::uint8_t luma, std::uint8_t u, std::uint8_t v, std::uint8_t* out, const BgrWeights& w) {
  const auto shiftedLuma = static_cast<std::int16_t>((luma << 3) - w.yOffset);  // wraps, as the lanes do
  const std::int16_t y = HighHalf(shiftedLuma, w.y);
  const std::int16_t cb = SaturatedSum(u << 3, -kNoColour);
  const std::int16_t cr = SaturatedSum(v << 3, -kNoColour);
  const std::int16_t green = SaturatedSum(HighHalf(cb, w.uToGreen), HighHalf(cr, w.vToGreen));
  out[0] = ToByte(SaturatedSum(HighHalf(cb, w.uToBlue), y));
  out[1] = ToByte(SaturatedSum(green, y));
  out[2] = ToByte(SaturatedSum(HighHalf(cr, w.vToRed), y));
}

struct Constants {
  __m256i noColour, yOffset, y, vToRed, uToBlue, vToGreen, uToGreen;
  // For each 16-byte third of a lane's 48 output bytes, where its blue,
  // green and red bytes come from (-1: from another colour) in a lane of
  // eight even pixels' bytes followed by eight odd pixels'.
  __m256i blue[3], green[3], red[3];
};

__attribute__((target("avx2"))) __m256i EveryLane(const std::array<std::int8_t, 16>& bytes) {
  return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data())));
}

// Where output byte k of a lane's 48 takes a byte of the colour at offset
// colour (0 blue, 1 green, 2 red): from pixel k / 3 when k % 3 == colour.
__attribute__((target("avx2"))) __m256i ThirdOf(int third, int colour) {
  std::array<std::int8_t, 16> bytes{};
  for (int i = 0; i < 16; ++i) {
    const int k = 16 * third + i;
    const int pixel = k / 3;
    const int evenOddPlace = pixel % 2 == 0 ? pixel / 2 : 8 + pixel / 2;
    bytes[i] = static_cast<std::int8_t>(k % 3 == colour ? evenOddPlace : -1);
  }
  return EveryLane(bytes);
}

__attribute__((target("avx2"))) Constants MakeConstants(const BgrWeights& w) {
  Constants k{};
  k.noColour = _mm256_set1_epi16(kNoColour);
  k.yOffset = _mm256_set1_epi16(w.yOffset);
  k.y = _mm256_set1_epi16(w.y);
  k.vToRed = _mm256_set1_epi16(w.vToRed);
  k.uToBlue = _mm256_set1_epi16(w.uToBlue);
  k.vToGreen = _mm256_set1_epi16(w.vToGreen);
  k.uToGreen = _mm256_set1_epi16(w.uToGreen);
  for (int third = 0; third < 3; ++third) {
    k.blue[third] = ThirdOf(third, 0);
    k.green[third] = ThirdOf(third, 1);
    k.red[third] = ThirdOf(third, 2);
  }
  return k;
}

// One colour of 32 pixels as bytes, per lane eight even then eight odd
// pixels: its part from the colour samples added to the even and to the odd
// pixels' luma, which swscale's vector code keeps in separate 16-bit lanes.
__attribute__((target("avx2"), always_inline)) inline __m256i ColourBytes(__m256i part, __m256i even, __m256i odd) {
  return _mm256_packus_epi16(_mm256_adds_epi16(part, even), _mm256_adds_epi16(part, odd));
}

// 32 pixels: 32 luma samples, 16 of each colour difference, 96 bytes out.
// Even and odd pixels share their colour samples; the order of operations
// is that of swscale's vector code.
__attribute__((target("avx2"), always_inline)) inline void ConvertBlock(const std::uint8_t* luma, const std::uint8_t* u,
                                                                        const std::uint8_t* v, std::uint8_t* out,
                                                                        const Constants& k) {
  const __m256i samples = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(luma));
  __m256i cb = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(u)));
  __m256i cr = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(v)));
  // Each sample times eight in a 16-bit lane of its own.
  __m256i even = _mm256_srli_epi16(_mm256_slli_epi16(samples, 8), 5);
  __m256i odd = _mm256_slli_epi16(_mm256_srli_epi16(samples, 8), 3);
  cb = _mm256_subs_epi16(_mm256_slli_epi16(cb, 3), k.noColour);
  cr = _mm256_subs_epi16(_mm256_slli_epi16(cr, 3), k.noColour);
  even = _mm256_mulhi_epi16(_mm256_sub_epi16(even, k.yOffset), k.y);
  odd = _mm256_mulhi_epi16(_mm256_sub_epi16(odd, k.yOffset), k.y);
  const __m256i green = _mm256_adds_epi16(_mm256_mulhi_epi16(cb, k.uToGreen), _mm256_mulhi_epi16(cr, k.vToGreen));
  const __m256i blue = _mm256_mulhi_epi16(cb, k.uToBlue);
  const __m256i red = _mm256_mulhi_epi16(cr, k.vToRed);
  const __m256i b = ColourBytes(blue, even, odd);
  const __m256i g = ColourBytes(green, even, odd);
  const __m256i r = ColourBytes(red, even, odd);
  __m256i thirds[3];
  for (int t = 0; t < 3; ++t) {
    thirds[t] = _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(b, k.blue[t]), _mm256_shuffle_epi8(g, k.green[t])),
                                _mm256_shuffle_epi8(r, k.red[t]));
  }
  // Lane 0 holds pixels 0-15, lane 1 pixels 16-31.
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permute2x128_si256(thirds[0], thirds[1], 0x20));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32), _mm256_permute2x128_si256(thirds[2], thirds[0], 0x30));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 64), _mm256_permute2x128_si256(thirds[1], thirds[2], 0x31));
}

__attribute__((target("avx2"), always_inline)) inline void ConvertRowsWith(const AVFrame& frame,
                                                                           const BgrWeights& weights, std::uint8_t* top,
                                                                           std::ptrdiff_t stride) {
  const Constants k = MakeConstants(weights);
  const int width = frame.width;
  // Top row first: a bottom-up picture's comparison starts with the bottom
  // rows, which are then still in the cache.
  for (int y = 0; y < frame.height; ++y) {
    const std::uint8_t* luma = frame.data[0] + static_cast<std::ptrdiff_t>(y) * frame.linesize[0];
    const std::uint8_t* u = frame.data[1] + static_cast<std::ptrdiff_t>(y / 2) * frame.linesize[1];
    const std::uint8_t* v = frame.data[2] + static_cast<std::ptrdiff_t>(y / 2) * frame.linesize[2];
    std::uint8_t* out = top + y * stride;
    // The rows are written over pictures another thread has read since:
    // asking for them two rows ahead, to be written, cut the time the stores
    // waited by a third.
    if (y + kRowsAhead < frame.height) {
      const std::uint8_t* ahead = top + (y + kRowsAhead) * stride;
      for (int at = 0; at < 3 * width; at += kCacheLine) __builtin_prefetch(ahead + at, 1);
    }
    if (width < kBlockPixels) {
      for (int x = 0; x < width; ++x) ConvertPixel(luma[x], u[x / 2], v[x / 2], out + 3 * x, weights);
      continue;
    }
    int x = 0;
    for (; x + kBlockPixels <= width; x += kBlockPixels) ConvertBlock(luma + x, u + x / 2, v + x / 2, out + 3 * x, k);
    if (x == width) continue;
    // A last block that ends with the row, converting some pixels again; it
    // starts on an even pixel, as pixel pairs share their colour samples, so
    // an odd width's last pixel is left to be converted alone.
    const int last = (width - kBlockPixels) & ~1;
    ConvertBlock(luma + last, u + last / 2, v + last / 2, out + 3 * last, k);
    if (width % 2 != 0) {
      const int alone = width - 1;
      ConvertPixel(luma[alone], u[alone / 2], v[alone / 2], out + 3 * alone, weights);
    }
  }
}

// The prefetches ask for the rows to be written where the processor has the
// instruction for it, and to be read elsewhere.
__attribute__((target("avx2,prfchw"))) void ConvertRowsPrefetchingForWrites(const AVFrame& frame,
                                                                            const BgrWeights& weights,
                                                                            std::uint8_t* top, std::ptrdiff_t stride) {
  ConvertRowsWith(frame, weights, top, stride);
}

__attribute__((target("avx2"))) void ConvertRows(const AVFrame& frame, const BgrWeights& weights, std::uint8_t* top,
                                                 std::ptrdiff_t stride) {
  ConvertRowsWith(frame, weights, top, stride);
}

bool HasPrefetchForWrite() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  return __get_cpuid(0x80000001, &eax, &ebx, &ecx, &edx) != 0 && (ecx & bit_PRFCHW) != 0;
}

#endif

}  // namespace

BgrWeights WeightsFor(const int table[4], bool fullRange, int brightness, int contrast, int saturation) {
  std::int64_t vToRed = table[0];
  std::int64_t uToBlue = table[1];
  std::int64_t uToGreen = -std::int64_t{table[2]};
  std::int64_t vToGreen = -std::int64_t{table[3]};
  std::int64_t y = 1 << 16;
  std::int64_t yOffset = 0;
  if (fullRange) {
    // Colour differences span 0-255 instead of 16-240.
    for (std::int64_t* weight : {&vToRed, &uToBlue, &uToGreen, &vToGreen}) *weight = *weight * 224 / 255;
  } else {
    // Luma spans 16-235.
    y = y * 255 / 219;
    yOffset = 16 << 16;
  }
  y = (y * contrast) >> 16;
  for (std::int64_t* weight : {&vToRed, &uToBlue, &uToGreen, &vToGreen}) {
    *weight = (*weight * contrast * saturation) >> 32;
  }
  yOffset -= 256LL * brightness;
  return {RoundToInt16(y * 8192),       RoundToInt16(yOffset * 8),     RoundToInt16(vToRed * 8192),
          RoundToInt16(uToBlue * 8192), RoundToInt16(vToGreen * 8192), RoundToInt16(uToGreen * 8192)};
}

bool FastBgrSupported() {
#ifdef TESSALINE_FAST_BGR
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

bool FastBgrReads(const AVFrame& frame) {
  const bool planar420 = frame.format == AV_PIX_FMT_YUV420P || frame.format == AV_PIX_FMT_YUVJ420P;
  return planar420 && frame.width > 0 && frame.height > 0 && frame.data[0] != nullptr && frame.data[1] != nullptr &&
         frame.data[2] != nullptr;
}

void ConvertToBgr([[maybe_unused]] const AVFrame& frame, [[maybe_unused]] const BgrWeights& weights,
                  [[maybe_unused]] std::uint8_t* top, [[maybe_unused]] std::ptrdiff_t stride) {
#ifdef TESSALINE_FAST_BGR
  static const bool prefetchForWrite = HasPrefetchForWrite();
  if (prefetchForWrite)
    ConvertRowsPrefetchingForWrites(frame, weights, top, stride);
  else
    ConvertRows(frame, weights, top, stride);
#endif
}

}  // namespace mcl
