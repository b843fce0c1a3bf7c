// The compressed stream sound encoders over libavcodec.
#pragma once

#include <memory>
#include <string>

#include "media/SoundEncoder.h"

// Null, with a German reason in error, when the encoder cannot be opened.
std::unique_ptr<SoundEncoder> MakeSoundEncoder(const SoundEncoderFormat& format, std::string& error);
