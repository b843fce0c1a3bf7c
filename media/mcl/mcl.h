// The decoding library: file information, pictures by frame index and sound
// samples by position. Results are 0 for success; after a failure
// MclGetErrorStr() gives a German text naming the file and the cause.
#pragma once

#include <cstddef>
#include <cstdint>

#include "media/DibRecord.h"

// Filled by MclGetFileInfo; only the five named fields are meaningful.
struct SourceFileInfo {
  unsigned char reserved0[540];
  std::int32_t frameCount;  // exact number of video frames
  unsigned char reserved1[16];
  double frameRate;    // frames per second, e.g. 30000/1001
  std::int32_t width;  // delivered picture size in pixels
  std::int32_t height;
  unsigned char reserved2[168];
  double audioSampleRate;  // samples per second; 0 without sound
};
static_assert(offsetof(SourceFileInfo, frameCount) == 540);
static_assert(offsetof(SourceFileInfo, frameRate) == 560);
static_assert(offsetof(SourceFileInfo, width) == 568);
static_assert(offsetof(SourceFileInfo, height) == 572);
static_assert(offsetof(SourceFileInfo, audioSampleRate) == 744);
static_assert(sizeof(SourceFileInfo) == 752);

using MclReadHandle = struct MclReader*;
using MclImageHandle = struct MclImage*;
using MclSoundHandle = struct MclSound*;
using MclBitmapHandle = struct MclBitmap*;

// Flags of MclGetFileInfo and MclReadOpen, 0 for the defaults: the picture
// size is the display's (stored width times the pixel aspect, height kept),
// and pictures the stream marks as interlaced are deinterlaced.
inline constexpr int kMclKeepPixelShape = 0x1;  // the stored size, pixels as stored
inline constexpr int kMclDeinterlaceAll = 0x2;  // every picture, marked or not
inline constexpr int kMclDeinterlaceNone = 0x4;

int MclGetFileInfo(const char* path, int flags, SourceFileInfo* info, int reserved1, int reserved2);
MclReadHandle MclReadOpen(const char* path, int flags, int reserved1, int reserved2);  // null on failure
// The same for a source stored in count parts that are read one after the
// other as one file, as `cat` joins them (a DVD title's VTS_01_1.VOB,
// VTS_01_2.VOB, ...): one clock, one frame count. Texts name the part that
// cannot be read, else the first.
int MclGetFileInfoParts(const char* const* paths, int count, int flags, SourceFileInfo* info);
MclReadHandle MclReadOpenParts(const char* const* paths, int count, int flags);  // null on failure
MclSoundHandle MclSndCreate();
MclImageHandle MclImgCreate();
// Frame frameIndex (display order) into image. Past the last frame: non-zero, no error set.
int MclReadImage(MclReadHandle read, std::int32_t frameIndex, MclImageHandle image);
// frameIndex will be read after the frames told before (ascending): pictures
// that no told frame shows are then not decoded where the stream allows. Once
// anything is told, tell every frame that will be read; one read but not told
// costs a seek back to the key frame before it.
int MclReadPlan(MclReadHandle read, std::int32_t frameIndex);
// After the last frame read: the pictures after it are decoded too, up to the
// stream's end or a few hundred, so that damage in them is told through
// MclGetError (the source is then not whole, though what was read may be).
int MclReadToEnd(MclReadHandle read);
// A bitmap view of the image's current frame; give it back with MclReleaseDIB.
MclBitmapHandle MclImgToDIB(MclImageHandle image);
// Stands in for GetDIBits: writes lineCount 24-bit BGR rows, bottom row first
// (line 0 is the bottom row), into rows laid out as info describes
// (row length = width * 3 rounded up to a multiple of 4). Returns the lines written.
int MclGetDIBits(MclBitmapHandle bitmap, int firstLine, int lineCount, unsigned char* rows, const DibInfoHeader* info);
void MclReleaseDIB(MclBitmapHandle bitmap);
// count sample frames from firstSample (0-based, at the source's own rate) into sound.
// The end of the sound or no sound at all is not an error: 0, with what exists.
int MclReadSound(MclReadHandle read, std::int64_t firstSample, std::int32_t count, MclSoundHandle sound);
// From then on, MclReadSound delivers signed 16-bit samples in channels (1 or
// 2), mixed down from any source layout and resampled to halfRate / 2 samples
// a second; positions and counts are at that rate. A time jump in the sound
// is no failure: the read succeeds and MclGetError tells of it.
int MclSndSetFormat(MclReadHandle read, std::int32_t halfRate, std::int32_t channels);
int MclSndGetInfo(MclSoundHandle sound, std::int32_t* unused, std::int32_t* channels, std::int32_t* bits,
                  std::int32_t* byteCount, const unsigned char** data);
void MclSndFree(MclSoundHandle sound);
void MclImgFree(MclImageHandle image);
int MclGetError();  // last error number, 0 for none
const char* MclGetErrorStr();
void MclReadClose(MclReadHandle read);
