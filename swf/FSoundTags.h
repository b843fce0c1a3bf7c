#pragma once

#include <cstdint>
#include <optional>

#include "swf/FObj.h"

// Announces the stream sound's format; defines no character.
class FDTSoundStreamHead2 : public FDT {
 public:
  // MP3 streams (compression 2) carry latencySeek, the encoder's delay in
  // samples; the field is written only for them.
  FDTSoundStreamHead2(std::uint8_t playbackFormat, std::uint8_t streamCompression, std::uint8_t streamRate,
                      std::uint8_t streamSize, std::uint8_t streamType, std::uint16_t streamSampleCount,
                      std::int16_t latencySeek = 0);
  void WriteTo(FSWFStream& stream) const override;

 private:
  std::uint8_t playbackFormat;
  std::uint8_t streamCompression;
  std::uint8_t streamRate;
  std::uint8_t streamSize;
  std::uint8_t streamType;
  std::uint16_t streamSampleCount;
  std::int16_t latencySeek;
};

// What an MP3 stream block says before its frames.
struct Mp3BlockHead {
  std::uint16_t sampleCount;  // samples per channel in this block's frames
  std::int16_t seekSamples;   // samples of the block's first frame that belong to earlier movie frames
};

// One frame's samples, borrowed: the bytes the buffer holds when the movie is
// saved are the ones written.
class FDTSoundStreamBlock : public FDT {
 public:
  FDTSoundStreamBlock(std::uint32_t dataSize, const unsigned char* data);
  // An MP3 block: the head, then dataSize bytes of whole MP3 frames.
  FDTSoundStreamBlock(Mp3BlockHead mp3, std::uint32_t dataSize, const unsigned char* data);
  void WriteTo(FSWFStream& stream) const override;

 private:
  std::uint32_t dataSize;
  const unsigned char* data;
  std::optional<Mp3BlockHead> mp3;
};
