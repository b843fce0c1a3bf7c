// The picture of one source frame: decoded, compared with the last one stored,
// and its changed rectangle stored in the movie.
#pragma once

#include <cstdint>

#include "convert/ConversionRun.h"
#include "convert/PicturePipeline.h"

// The smallest rectangle holding every changed pixel: one with any channel
// different, or under a tolerance one whose neighbourhood differs by more on
// average. Unchanged: minX and minR stay above, maxX and maxR below any pixel.
ChangedRegion FindChangedRegion(const PictureHolder& current, const PictureHolder& previous, int w, int h,
                                int tolerance = 0);

// Decodes the frame, and starts the JPEG of its changed region on a worker.
void StorePicture(ConversionRun& run, std::int32_t frameIndex);
