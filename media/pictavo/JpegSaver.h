// Writes a module picture as a baseline JPEG file.
#pragma once

#include <span>
#include <vector>

#include "media/DibRecord.h"

// Who counts the symbols for the Huffman tables made for each picture; the
// JPEGs are the same either way.
enum class SymbolCounting { Library, Quick };

// The JPEG of dib in room, which keeps its size for the next one; empty for a
// bad record or an encoder error.
std::span<const unsigned char> EncodeJpeg(const DibRecord& dib, int quality, std::vector<unsigned char>& room,
                                          SymbolCounting counting);

// quality 0 to 100; false for a bad record, an encoder error or a file that
// cannot be written (no partial file is left behind).
bool SaveDibAsJpeg(const DibRecord& dib, const char* path, int quality);
