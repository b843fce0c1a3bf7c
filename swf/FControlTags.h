#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "swf/FObj.h"
#include "swf/FRecords.h"

class FCTShowFrame : public FCT {
 public:
  void WriteTo(FSWFStream& stream) const override;
  bool IsShowFrame() const override { return true; }
};

class FCTSetBackgroundColor : public FCT {
 public:
  // Always written as RGB: the colour's hasAlpha is cleared.
  explicit FCTSetBackgroundColor(std::unique_ptr<FColor> color);
  void WriteTo(FSWFStream& stream) const override;

 private:
  std::unique_ptr<FColor> color;
};

// Flags must be 0 or 1; the optional pointers may be empty.
class FCTPlaceObject2 : public FCT {
 public:
  FCTPlaceObject2(std::uint16_t hasClipDepth, std::uint16_t hasRatio, std::uint16_t hasCharacter, std::uint16_t move,
                  std::uint16_t depth, std::uint16_t characterID, std::unique_ptr<FMatrix> matrix,
                  std::unique_ptr<FACXForm> colorTransform, std::uint16_t ratio, std::unique_ptr<std::string> name,
                  std::uint16_t clipDepth);
  void WriteTo(FSWFStream& stream) const override;

 private:
  void WriteFlags(FSWFStream& body) const;

  std::uint16_t hasClipDepth;
  std::uint16_t hasRatio;
  std::uint16_t hasCharacter;
  std::uint16_t move;
  std::uint16_t depth;
  std::uint16_t characterID;
  std::unique_ptr<FMatrix> matrix;
  std::unique_ptr<FACXForm> colorTransform;
  std::uint16_t ratio;
  std::unique_ptr<std::string> name;
  std::uint16_t clipDepth;
};

class FCTRemoveObject2 : public FCT {
 public:
  explicit FCTRemoveObject2(std::uint16_t depth);
  void WriteTo(FSWFStream& stream) const override;

 private:
  std::uint16_t depth;
};
