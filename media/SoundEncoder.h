// Compressed stream sound: the conversion hands each movie frame's samples to
// an encoder and gets back that frame's block. The media side declares it and
// implements it; the conversion sees only this header.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "media/SoundCompression.h"
#include "swf/FSoundTags.h"

struct SoundEncoderFormat {
  SoundCompression compression = SoundCompression::Adpcm;
  int sampleRate = 11025;  // what the samples are counted in (5512 stands for 5512.5)
  int channels = 1;
  int mp3BitrateKbit = 64;
};

// One movie frame's block: bytes the movie will own, and for MP3 its head.
struct EncodedSoundBlock {
  std::vector<unsigned char> bytes;
  std::optional<Mp3BlockHead> mp3;
};

class SoundEncoder {
 public:
  virtual ~SoundEncoder() = default;
  virtual std::uint8_t CompressionCode() const = 0;
  // Samples the decoder puts before the first source sample (MP3 only).
  virtual std::int16_t LatencySeek() const { return 0; }
  // The bitrate in use, the nearest the rate allows to the one asked for (MP3 only).
  virtual int BitrateKbit() const { return 0; }
  // Sample frames the encoder must be fed beyond a movie frame's sound before
  // that frame's block can hold all of it (MP3: its delay and the frames it
  // keeps back). The conversion reads the sound that far ahead.
  virtual std::int64_t SamplesAhead() const { return 0; }
  // frames sample frames of signed 16-bit samples, channels interleaved: the
  // sound of the next movie frame not fed yet. Null samples stand for
  // silence. False when the encoder fails.
  virtual bool Feed(const std::int16_t* samples, std::int64_t frames) = 0;
  // The block of the oldest movie frame fed and not taken; nothing when the
  // encoder fails.
  virtual std::optional<EncodedSoundBlock> TakeBlock() = 0;

  // Feeds one movie frame's sound and takes its block.
  std::optional<EncodedSoundBlock> EncodeBlock(const std::int16_t* samples, std::int64_t frames) {
    if (!Feed(samples, frames)) return std::nullopt;
    return TakeBlock();
  }
};
