#pragma once

#include <memory>

#include "media/SoundEncoder.h"

namespace soundenc {

// MP3 through FFmpeg's libmp3lame encoder, at 11025, 22050 or 44100 Hz.
std::unique_ptr<SoundEncoder> MakeMp3Encoder(const SoundEncoderFormat& format);

}  // namespace soundenc
