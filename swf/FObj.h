#pragma once

#include <cstdint>

class FSWFStream;

// Root of every tag object; each tag appends its complete tag in WriteTo.
class FObj {
 public:
  virtual ~FObj() = default;
  virtual void WriteTo(FSWFStream& stream) const = 0;
  virtual bool IsShowFrame() const { return false; }
};

// Base of definition tags, which carry a character ID.
class FDT : public FObj {
 public:
  void WriteTo(FSWFStream& stream) const override;
  virtual std::uint16_t GetCharacterID() const { return 0; }
};

// Base of control tags.
class FCT : public FObj {
 public:
  void WriteTo(FSWFStream& stream) const override;
};

// Hands out character IDs: 1, 2, ... after each reset; wraps after 65535.
std::uint16_t NextCharacterID();
// Sets the counter back so the next ID is 1 (done after every written movie).
void ResetCharacterIDs();
