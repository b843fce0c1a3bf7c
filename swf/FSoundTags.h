#pragma once

#include <cstdint>

#include "swf/FObj.h"

// Announces the stream sound's format; defines no character.
class FDTSoundStreamHead2 : public FDT {
 public:
  FDTSoundStreamHead2(std::uint8_t playbackFormat, std::uint8_t streamCompression, std::uint8_t streamRate,
                      std::uint8_t streamSize, std::uint8_t streamType, std::uint16_t streamSampleCount);
  void WriteTo(FSWFStream& stream) const override;

 private:
  std::uint8_t playbackFormat;
  std::uint8_t streamCompression;
  std::uint8_t streamRate;
  std::uint8_t streamSize;
  std::uint8_t streamType;
  std::uint16_t streamSampleCount;
};

// One frame's samples, borrowed: the bytes the buffer holds when the movie is
// saved are the ones written.
class FDTSoundStreamBlock : public FDT {
 public:
  FDTSoundStreamBlock(std::uint32_t dataSize, const unsigned char* data);
  void WriteTo(FSWFStream& stream) const override;

 private:
  std::uint32_t dataSize;
  const unsigned char* data;
};
