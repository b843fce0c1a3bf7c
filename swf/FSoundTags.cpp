#include "swf/FSoundTags.h"

#include "swf/FSWFStream.h"
#include "swf/TagCodes.h"

namespace {
constexpr std::uint32_t compressionBits = 4;  // StreamSoundCompression
constexpr std::uint32_t rateBits = 2;         // StreamSoundRate
constexpr std::uint32_t sizeBits = 1;         // StreamSoundSize
constexpr std::uint32_t typeBits = 1;         // StreamSoundType
constexpr std::uint8_t mp3Compression = 2;
}  // namespace

FDTSoundStreamHead2::FDTSoundStreamHead2(std::uint8_t playbackFormat, std::uint8_t streamCompression,
                                         std::uint8_t streamRate, std::uint8_t streamSize, std::uint8_t streamType,
                                         std::uint16_t streamSampleCount, std::int16_t latencySeek)
    : playbackFormat(playbackFormat),
      streamCompression(streamCompression),
      streamRate(streamRate),
      streamSize(streamSize),
      streamType(streamType),
      streamSampleCount(streamSampleCount),
      latencySeek(latencySeek) {}

void FDTSoundStreamHead2::WriteTo(FSWFStream& stream) const {
  FSWFStream body;
  body.WriteByte(playbackFormat);
  body.WriteBits(streamCompression, compressionBits);
  body.WriteBits(streamRate, rateBits);
  body.WriteBits(streamSize, sizeBits);
  body.WriteBits(streamType, typeBits);
  body.WriteWord(streamSampleCount);
  if ((streamCompression & 0x0F) == mp3Compression) body.WriteWord(static_cast<std::uint16_t>(latencySeek));
  stream.WriteTagHeader(TagCode::SoundStreamHead2, body.Size(), &body);
}

FDTSoundStreamBlock::FDTSoundStreamBlock(std::uint32_t dataSize, const unsigned char* data)
    : dataSize(dataSize), data(data) {}

FDTSoundStreamBlock::FDTSoundStreamBlock(Mp3BlockHead mp3, std::uint32_t dataSize, const unsigned char* data)
    : dataSize(dataSize), data(data), mp3(mp3) {}

void FDTSoundStreamBlock::WriteTo(FSWFStream& stream) const {
  FSWFStream body;
  if (mp3) {
    body.WriteWord(mp3->sampleCount);
    body.WriteWord(static_cast<std::uint16_t>(mp3->seekSamples));
  }
  body.AddLargeData(data, dataSize);
  stream.WriteTagHeader(TagCode::SoundStreamBlock, body.Size(), &body);
}
