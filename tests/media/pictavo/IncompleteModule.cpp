// Exports four of the module's five entry points: SetJPEGQual is missing.
#include "media/DibRecord.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

EXPORT int OpenDib(DibRecord*, const char*) { return 1; }
EXPORT int deldib(DibRecord) { return 0; }
EXPORT int SaveDib(DibRecord, const char*, int, void*) { return 1; }
EXPORT int newdib(DibRecord*, int, int, int, int, int) { return 1; }
