// Decoded frames into the caller's 24-bit rows (B, G, R), converted and, when
// the wanted size differs, scaled by libswscale (4:2:0 pictures of the wanted
// size mostly by FastBgr, to the same bytes). swscale's vector code writes
// past the end of a row unless the row is a multiple of its step: such
// pictures are converted straight into the caller's rows; others go through a
// picture FFmpeg allocated with its own alignment and slack, and the rows are
// copied from there.
#pragma once

#include <array>
#include <optional>

#include "media/mcl/FastBgr.h"
#include "media/mcl/FfmpegHandles.h"
#include "media/DibRecord.h"

namespace mcl {

// The conversion context, kept between frames of the same size and format.
struct ScalerCache {
  SwsPtr context;
  // What the context's colour details were last set for: sizes, format, matrix, range.
  std::array<int, 7> tunedFor{};
  // The converted picture, top row first; kept while the size stays the same.
  FramePtr picture;
  // Set while pictures are converted without swscale: the context converts
  // without scaling, and a test picture came out the same both ways.
  std::optional<BgrWeights> fastWeights;
  bool fastAllowed = true;  // false: swscale always, as a reference
};

// The swscale colour table (SWS_CS_*) a YUV frame is converted with: as
// tagged, else by its size; BT.601 for RGB frames, as before.
int ColourMatrixOf(const AVFrame& frame);

// Writes lineCount lines from firstLine (line 0 is the bottom row for a
// positive info.height) at rows, row length width * 3 rounded up to 4 bytes.
// Returns the lines written; -1 when the conversion cannot be set up.
int WriteDibRows(ScalerCache& cache, const AVFrame& frame, int firstLine, int lineCount, unsigned char* rows,
                 const DibInfoHeader& info);

}  // namespace mcl
