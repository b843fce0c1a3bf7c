#include "swf/FObj.h"

namespace {
// Process-wide, as one movie is built at a time.
std::uint16_t characterIDCounter = 0;
}  // namespace

void FDT::WriteTo(FSWFStream&) const {}

void FCT::WriteTo(FSWFStream&) const {}

std::uint16_t NextCharacterID() { return ++characterIDCounter; }

void ResetCharacterIDs() { characterIDCounter = 0; }
