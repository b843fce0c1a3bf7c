#include "swf/FControlTags.h"

#include "swf/FSWFStream.h"
#include "swf/TagCodes.h"

void FCTShowFrame::WriteTo(FSWFStream& stream) const { stream.WriteTagHeader(TagCode::ShowFrame, 0); }

FCTSetBackgroundColor::FCTSetBackgroundColor(std::unique_ptr<FColor> color) : color(std::move(color)) {
  if (this->color) {
    this->color->hasAlpha = false;
  }
}

void FCTSetBackgroundColor::WriteTo(FSWFStream& stream) const {
  FSWFStream body;
  color->WriteTo(body);
  stream.WriteTagHeader(TagCode::SetBackgroundColor, body.Size(), &body);
}

FCTPlaceObject2::FCTPlaceObject2(std::uint16_t hasClipDepth, std::uint16_t hasRatio, std::uint16_t hasCharacter,
                                 std::uint16_t move, std::uint16_t depth, std::uint16_t characterID,
                                 std::unique_ptr<FMatrix> matrix, std::unique_ptr<FACXForm> colorTransform,
                                 std::uint16_t ratio, std::unique_ptr<std::string> name, std::uint16_t clipDepth)
    : hasClipDepth(hasClipDepth),
      hasRatio(hasRatio),
      hasCharacter(hasCharacter),
      move(move),
      depth(depth),
      characterID(characterID),
      matrix(std::move(matrix)),
      colorTransform(std::move(colorTransform)),
      ratio(ratio),
      name(std::move(name)),
      clipDepth(clipDepth) {}

void FCTPlaceObject2::WriteFlags(FSWFStream& body) const {
  // One bit each, most significant first.
  body.WriteBits(0, 1);  // reserved
  body.WriteBits(hasClipDepth, 1);
  body.WriteBits(name ? 1 : 0, 1);  // has name
  body.WriteBits(hasRatio, 1);
  body.WriteBits(colorTransform ? 1 : 0, 1);  // has colour transform
  body.WriteBits(matrix ? 1 : 0, 1);          // has matrix
  body.WriteBits(hasCharacter, 1);
  body.WriteBits(move, 1);
}

void FCTPlaceObject2::WriteTo(FSWFStream& stream) const {
  FSWFStream body;
  WriteFlags(body);
  body.WriteWord(depth);
  if (hasCharacter != 0) {
    body.WriteWord(characterID);
  }
  if (matrix) {
    matrix->WriteTo(body);
  }
  if (colorTransform) {
    colorTransform->WriteTo(body);
  }
  if (hasRatio != 0) {
    body.WriteWord(ratio);
  }
  if (name) {
    for (const char c : *name) {
      body.WriteByte(static_cast<unsigned char>(c));
    }
    body.WriteByte(0);  // name terminator
  }
  if (hasClipDepth != 0) {
    body.WriteWord(clipDepth);
  }
  stream.WriteTagHeader(TagCode::PlaceObject2, body.Size(), &body);
}

FCTRemoveObject2::FCTRemoveObject2(std::uint16_t depth) : depth(depth) {}

void FCTRemoveObject2::WriteTo(FSWFStream& stream) const {
  FSWFStream body;
  body.WriteWord(depth);
  stream.WriteTagHeader(TagCode::RemoveObject2, body.Size(), &body);
}
