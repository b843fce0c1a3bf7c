// The 24-bit picture record: the decoding library fills it, the imaging module
// allocates and saves it, the conversion passes it between them. Plain C so
// the module's entry points can use it.
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Same layout as a Windows BITMAPINFOHEADER: width at byte 4, height at byte 8.
typedef struct DibInfoHeader {
  uint32_t headerSize;
  int32_t width;
  int32_t height;  // positive: rows are stored bottom row first
  uint16_t planes;
  uint16_t bitCount;
  uint32_t compression;
  uint32_t imageSize;
  int32_t xPixelsPerMeter;
  int32_t yPixelsPerMeter;
  uint32_t colorsUsed;
  uint32_t colorsImportant;
} DibInfoHeader;

// Filled by newdib, passed by value to SaveDib and deldib. Rows are bottom-up,
// 3 bytes a pixel in B, G, R order, each row padded to a multiple of 4 bytes.
typedef struct DibRecord {
  DibInfoHeader* info;  // the picture's header: width and height
  void* block;          // the module's allocation behind info and rows
  size_t imageBytes;    // rowLength * height
  unsigned char* rows;  // first byte of the bottom row
  int32_t rowLength;    // bytes per stored row
} DibRecord;

#ifdef __cplusplus
}
#endif
