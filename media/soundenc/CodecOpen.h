// Opening a libavcodec audio encoder and running samples through it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/mcl/FfmpegHandles.h"

namespace soundenc {

struct EncoderRequest {
  AVCodecID codec;
  const char* name;  // the encoder wanted by name, e.g. "libmp3lame"; null: any for codec
  AVSampleFormat format;
  int sampleRate;
  int channels;
  std::int64_t bitRate = 0;
};

// Null when the encoder is missing or refuses the format.
mcl::CodecPtr OpenEncoder(const EncoderRequest& request);

// Sends one frame of frameSize sample frames (interleaved 16-bit input,
// converted to the encoder's layout) and appends every packet it gives.
bool EncodeFrame(AVCodecContext& codec, const std::int16_t* samples, int frameSize,
                 std::vector<std::vector<std::uint8_t>>& packets);

}  // namespace soundenc
