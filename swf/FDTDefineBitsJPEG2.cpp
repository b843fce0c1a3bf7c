#include "swf/FDTDefineBitsJPEG2.h"

#include "swf/FSWFStream.h"
#include "swf/TagCodes.h"

namespace {
constexpr std::uint32_t markerPrefix = 0xFF;  // first byte of a JPEG marker
constexpr std::uint32_t endOfImage = 0xD9;    // EOI marker code
constexpr std::uint32_t startOfImage = 0xD8;  // SOI marker code
}  // namespace

FDTDefineBitsJPEG2::FDTDefineBitsJPEG2(const unsigned char* data, std::uint32_t dataSize)
    : characterID(NextCharacterID()), dataSize(dataSize), data(data) {}

void FDTDefineBitsJPEG2::WriteTo(FSWFStream& stream) const {
  FSWFStream body;
  body.WriteWord(characterID);
  // An end-of-image then a start-of-image marker ahead of the picture.
  body.WriteByte(markerPrefix);
  body.WriteByte(endOfImage);
  body.WriteByte(markerPrefix);
  body.WriteByte(startOfImage);
  body.AddLargeData(data, dataSize);
  body.WriteByte(markerPrefix);  // one more end-of-image after the picture
  body.WriteByte(endOfImage);
  stream.WriteTagHeader(TagCode::DefineBitsJPEG2, body.Size(), &body);
}
