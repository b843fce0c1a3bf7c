// The decoding library's entry points as a table, so a run can be driven by
// the real library or by a scripted source in tests.
#pragma once

#include <cstdint>

#include <memory>
#include <string>

#include "media/SoundEncoder.h"
#include "media/mcl/mcl.h"

struct DecoderFunctions {
  int (*MclGetFileInfo)(const char* path, int flags, SourceFileInfo* info, int reserved1, int reserved2);
  MclReadHandle (*MclReadOpen)(const char* path, int flags, int reserved1, int reserved2);
  MclSoundHandle (*MclSndCreate)();
  MclImageHandle (*MclImgCreate)();
  int (*MclReadImage)(MclReadHandle read, std::int32_t frameIndex, MclImageHandle image);
  int (*MclReadPlan)(MclReadHandle read, std::int32_t frameIndex);
  MclBitmapHandle (*MclImgToDIB)(MclImageHandle image);
  int (*MclGetDIBits)(MclBitmapHandle bitmap, int firstLine, int lineCount, unsigned char* rows,
                      const DibInfoHeader* info);
  void (*MclReleaseDIB)(MclBitmapHandle bitmap);
  int (*MclReadSound)(MclReadHandle read, std::int64_t firstSample, std::int32_t count, MclSoundHandle sound);
  int (*MclSndGetInfo)(MclSoundHandle sound, std::int32_t* unused, std::int32_t* channels, std::int32_t* bits,
                       std::int32_t* byteCount, const unsigned char** data);
  void (*MclSndFree)(MclSoundHandle sound);
  void (*MclImgFree)(MclImageHandle image);
  int (*MclGetError)();
  const char* (*MclGetErrorStr)();
  void (*MclReadClose)(MclReadHandle read);
  // The media side's encoders for compressed stream sound; null where there are none.
  std::unique_ptr<SoundEncoder> (*MakeSoundEncoder)(const SoundEncoderFormat& format, std::string& error);
  // Asks MclReadSound for 16-bit samples in 1 or 2 channels at halfRate / 2
  // samples a second, mixed and resampled by the library.
  int (*MclSndSetFormat)(MclReadHandle read, std::int32_t halfRate, std::int32_t channels);
  // A source stored in parts read as one (a DVD title's VOB files).
  int (*MclGetFileInfoParts)(const char* const* paths, int count, int flags, SourceFileInfo* info);
  MclReadHandle (*MclReadOpenParts)(const char* const* paths, int count, int flags);
  // Null where a source has nothing after its last frame read.
  int (*MclReadToEnd)(MclReadHandle read);
};
