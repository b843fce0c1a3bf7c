#pragma once

#include <memory>

#include "media/SoundEncoder.h"

namespace soundenc {

// MP3 through FFmpeg's libmp3lame encoder, at 11025, 22050 or 44100 Hz.
// Above the rate's highest bitrate LAME silently writes its highest; the
// encoder uses the nearest allowed one and says which.
std::unique_ptr<SoundEncoder> MakeMp3Encoder(const SoundEncoderFormat& format);
int NearestMp3Bitrate(int sampleRate, int kbit);

}  // namespace soundenc
