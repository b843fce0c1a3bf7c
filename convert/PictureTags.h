// The tags that lay one stored region over the pictures shown so far.
#pragma once

#include "convert/JpegJob.h"
#include "convert/MovieBuilder.h"
#include "convert/PicturePipeline.h"

// Adds the bitmap, its rectangle shape, the removals when old pictures go,
// and the placement one depth above the last; sourceWidth and sourceHeight
// in pixels.
void AddPictureTags(MovieBuilder& movie, DisplayDepths& depths, const JpegBytes& bytes, const PicturePlace& at,
                    OldPictures old, int sourceWidth, int sourceHeight);
