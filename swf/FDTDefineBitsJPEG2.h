#pragma once

#include <cstdint>

#include "swf/FObj.h"

// A bitmap character from a whole JPEG file. The bytes are borrowed: they
// must stay unchanged until the movie has been saved.
class FDTDefineBitsJPEG2 : public FDT {
 public:
  FDTDefineBitsJPEG2(const unsigned char* data, std::uint32_t dataSize);
  void WriteTo(FSWFStream& stream) const override;
  std::uint16_t GetCharacterID() const override { return characterID; }

 private:
  std::uint16_t characterID;
  std::uint32_t dataSize;
  const unsigned char* data;
};
