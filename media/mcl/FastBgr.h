// 4:2:0 pictures of the wanted size to 24-bit BGR rows, twice as fast as
// swscale's own unscaled conversion on processors with AVX2, with the same
// fixed-point arithmetic: 16-bit weights applied to the samples shifted up by
// three bits, high halves of the products, saturating sums. A conversion
// context uses it only once a test picture came out byte-identical both ways,
// so pictures never depend on which of the two ran.
#pragma once

#include <cstddef>
#include <cstdint>

#include "media/mcl/FfmpegHandles.h"

namespace mcl {

struct BgrWeights {
  std::int16_t y;
  std::int16_t yOffset;
  std::int16_t vToRed;
  std::int16_t uToBlue;
  std::int16_t vToGreen;
  std::int16_t uToGreen;
};

// The weights swscale derives from the colour details it is given: table as
// from sws_getCoefficients, brightness, contrast and saturation in its 16.16 units.
BgrWeights WeightsFor(const int table[4], bool fullRange, int brightness, int contrast, int saturation);

// Whether this processor runs the fast conversion.
bool FastBgrSupported();

// Whether frame is of a kind the fast conversion reads: planar 4:2:0, 8 bits.
bool FastBgrReads(const AVFrame& frame);

// Converts every row of frame: row y at top + y * stride (stride may be
// negative); nothing is written past a row's 3 * width bytes. Only where
// FastBgrSupported() and FastBgrReads(frame).
void ConvertToBgr(const AVFrame& frame, const BgrWeights& weights, std::uint8_t* top, std::ptrdiff_t stride);

}  // namespace mcl
