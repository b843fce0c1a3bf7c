#pragma once

#include <memory>

#include "media/SoundEncoder.h"

namespace soundenc {

// SWF ADPCM, 4 bits per sample, through FFmpeg's adpcm_swf encoder.
std::unique_ptr<SoundEncoder> MakeAdpcmEncoder(const SoundEncoderFormat& format);

}  // namespace soundenc
