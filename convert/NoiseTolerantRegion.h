// The changed region under a tolerance N, judged over the 5 by 5 pixels around
// each pixel (fewer at the picture's edges): it counts as changed when they
// differ from what the movie shows by more than N on average in one channel,
// one way, or by more than 2N either way. Codec noise lifts single pixels
// past N here and there, up and down; a real change or a drift moves an area.
// The region is widened to the JPEG's 8 by 8 blocks.
#pragma once

#include "convert/PicturePipeline.h"

ChangedRegion FindNoiseTolerantRegion(const PictureHolder& current, const PictureHolder& previous, int w, int h,
                                      int tolerance);
