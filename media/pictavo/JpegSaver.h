// Writes a module picture as a baseline JPEG file.
#pragma once

#include "media/pictavo/DibRecord.h"

// quality 0 to 100; false for a bad record, an encoder error or a file that
// cannot be written (no partial file is left behind).
bool SaveDibAsJpeg(const DibRecord& dib, const char* path, int quality);
