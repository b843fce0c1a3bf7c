#include "swf/FSoundTags.h"

#include "swf/FSWFStream.h"
#include "swf/TagCodes.h"

namespace {
constexpr std::uint32_t compressionBits = 4;  // StreamSoundCompression
constexpr std::uint32_t rateBits = 2;         // StreamSoundRate
constexpr std::uint32_t sizeBits = 1;         // StreamSoundSize
constexpr std::uint32_t typeBits = 1;         // StreamSoundType
}  // namespace

FDTSoundStreamHead2::FDTSoundStreamHead2(std::uint8_t playbackFormat, std::uint8_t streamCompression,
                                         std::uint8_t streamRate, std::uint8_t streamSize, std::uint8_t streamType,
                                         std::uint16_t streamSampleCount)
    : playbackFormat(playbackFormat),
      streamCompression(streamCompression),
      streamRate(streamRate),
      streamSize(streamSize),
      streamType(streamType),
      streamSampleCount(streamSampleCount) {}

void FDTSoundStreamHead2::WriteTo(FSWFStream& stream) const {
  FSWFStream body;
  body.WriteByte(playbackFormat);
  body.WriteBits(streamCompression, compressionBits);
  body.WriteBits(streamRate, rateBits);
  body.WriteBits(streamSize, sizeBits);
  body.WriteBits(streamType, typeBits);
  body.WriteWord(streamSampleCount);
  stream.WriteTagHeader(TagCode::SoundStreamHead2, body.Size(), &body);
}

FDTSoundStreamBlock::FDTSoundStreamBlock(std::uint32_t dataSize, const unsigned char* data)
    : dataSize(dataSize), data(data) {}

void FDTSoundStreamBlock::WriteTo(FSWFStream& stream) const {
  FSWFStream body;
  body.AddLargeData(data, dataSize);
  stream.WriteTagHeader(TagCode::SoundStreamBlock, body.Size(), &body);
}
