// The part of the source a run converts and the size of its movie.
#pragma once

#include <algorithm>
#include <cstdint>

#include "convert/Twips.h"
#include "swf/FObjCollection.h"

struct ConversionRun;
struct ConversionSettings;

struct MovieSize {
  int width;
  int height;
};

// The decoder's flags for the picture settings; 0 for the defaults.
int DecoderFlags(const ConversionSettings& settings);

// The longest side of a movie: what Flash players show, and never more than
// the header's rectangle can hold.
inline constexpr int kLargestStageSide = std::min(2880, kLargestHeaderTwips / kTwipsPerPixel);

// The wanted size; one side alone takes the other from the source's aspect ratio.
MovieSize ScaledSize(MovieSize source, int wantedWidth, int wantedHeight);

// Sets the first source frame, the frame count and the first sound sample of
// the part asked for (start and end in seconds, on the source's clock), and
// the movie's picture size. False, with a German line shown, when the part
// holds no frame or the size passes kLargestStageSide (then optionsRefused).
bool ChoosePart(ConversionRun& run);
