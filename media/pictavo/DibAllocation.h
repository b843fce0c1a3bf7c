// The module's 24-bit pictures: header and rows in one allocation.
#pragma once

#include "media/DibRecord.h"

// 0 on success; non-zero for bad arguments or no memory, the record zeroed.
int AllocateDib(DibRecord& dib, int width, int height, int bitsPerPixel);
void FreeDib(const DibRecord& dib);
