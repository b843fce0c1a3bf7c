// The picture of one source frame: decoded, compared with the last one stored,
// and its changed rectangle stored in the movie.
#pragma once

#include <cstdint>
#include <string>

#include "convert/ConversionRun.h"
#include "convert/TempFileName.h"

// Bounds in stored-row coordinates (r = 0 is the bottom row).
struct ChangedRegion {
  bool changed = false;
  int minX = 0;
  int maxX = 0;
  int minR = 0;
  int maxR = 0;
};

// The smallest rectangle holding every pixel that differs. Unchanged: minX and
// minR stay above, maxX and maxR below any pixel.
ChangedRegion FindChangedRegion(const PictureHolder& current, const PictureHolder& previous, int w, int h);

// Decodes the frame, and starts the JPEG of its changed region on a worker.
void StorePicture(ConversionRun& run, std::int32_t frameIndex);

// Waits for the pending picture's JPEG and adds its tags, then the tags of
// the turns that came after it. Lines of the run and the window's input wait
// for this too, so they come in the order of the pictures.
void FinishPendingPicture(ConversionRun& run);
