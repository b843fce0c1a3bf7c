// What MclGetFileInfo reports: the frame count (slots of the video's clock up
// to its last picture), real frame rate, the delivered picture size (the
// display's shape unless asked for the stored pixels) and the sound's sample
// rate.
#pragma once

#include <string>

#include "media/mcl/FfmpegHandles.h"
#include "media/mcl/MclError.h"
#include "media/mcl/MediaSource.h"
#include "media/mcl/mcl.h"

namespace mcl {

// Larger pictures would not fit a movie's stage; they are delivered scaled
// down to fit inside this square, aspect kept.
inline constexpr int kLargestDeliveredSide = 2880;

struct PictureSize {
  int width;
  int height;
};

// The size the picture is shown at: stored width times the sample aspect
// ratio (unknown or invalid counts as square), height kept.
PictureSize DisplaySize(PictureSize stored, AVRational sampleAspect);
PictureSize DeliveredSize(PictureSize source);
double FrameRateOf(const AVStream* stream);
// Fills info; on a damaged file it is filled with what can be read and the
// result says why. A broken picture clock (kClockJump) sets damageAt, the
// seconds after the first picture where it breaks.
// flags: kMclKeepPixelShape reports the stored size.
ErrorKind ReadFileInfo(const SourceFiles& files, int flags, SourceFileInfo& info, double& damageAt);
// Whether the picture clock of the source breaks somewhere (see ClockMender).
bool ClockBreaksIn(const SourceFiles& files);

}  // namespace mcl
