#pragma once

#include <memory>

#include "media/SoundEncoder.h"

namespace soundenc {

// SWF ADPCM, 4 bits per sample, by an IMA coder whose state runs on across blocks.
std::unique_ptr<SoundEncoder> MakeAdpcmEncoder(const SoundEncoderFormat& format);

}  // namespace soundenc
