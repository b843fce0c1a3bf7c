// The five entry points of the imaging module, as resolved by name.
#pragma once

#include "media/DibRecord.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef int (*PictavoOpenDibFn)(DibRecord* dib, const char* path);
typedef int (*PictavoDeldibFn)(DibRecord dib);
// format is always 7 (JPEG); ownerWindow is passed through, never used.
typedef int (*PictavoSaveDibFn)(DibRecord dib, const char* path, int format, void* ownerWindow);
typedef int (*PictavoNewdibFn)(DibRecord* dib, int width, int height, int bitsPerPixel, int reserved1, int reserved2);
typedef int (*PictavoSetJPEGQualFn)(int quality);

#ifdef __cplusplus
}

struct PictavoApi {
  PictavoOpenDibFn OpenDib = nullptr;
  PictavoDeldibFn deldib = nullptr;
  PictavoSaveDibFn SaveDib = nullptr;
  PictavoNewdibFn newdib = nullptr;
  PictavoSetJPEGQualFn SetJPEGQual = nullptr;
};
#endif
