#include "tests/convert/FakeDecoder.h"

#include <algorithm>
#include <cstring>

namespace {

FakeSource source;
unsigned char readToken, imageToken, soundToken, bitmapToken;

int Fail() {
  if (source.setErrorOnFailure) source.errorSet = true;
  return 1;
}

int GetFileInfo(const char*, int, SourceFileInfo* info, int, int) {
  if (source.failInfo) return Fail();
  info->frameCount = source.frameCount;
  info->frameRate = source.frameRate;
  info->width = source.width;
  info->height = source.height;
  info->audioSampleRate = source.audioSampleRate;
  return 0;
}

MclReadHandle ReadOpen(const char*, int, int, int) {
  if (source.failOpen) {
    Fail();
    return nullptr;
  }
  ++source.opened;
  return reinterpret_cast<MclReadHandle>(&readToken);
}

MclSoundHandle SndCreate() {
  ++source.soundsMade;
  return reinterpret_cast<MclSoundHandle>(&soundToken);
}

MclImageHandle ImgCreate() {
  ++source.imagesMade;
  return reinterpret_cast<MclImageHandle>(&imageToken);
}

int ReadImage(MclReadHandle, std::int32_t frameIndex, MclImageHandle) {
  source.imageReads.push_back(frameIndex);
  const bool failing = source.failImageFrom >= 0 && frameIndex >= source.failImageFrom;
  if (failing || frameIndex < 0 || frameIndex >= static_cast<std::int32_t>(source.frames.size())) return Fail();
  source.currentFrame = frameIndex;
  return 0;
}

int ReadPlan(MclReadHandle, std::int32_t frameIndex) {
  source.plannedReads.push_back(frameIndex);
  return 0;
}

MclBitmapHandle ImgToDIB(MclImageHandle) {
  ++source.bitmapsMade;
  return reinterpret_cast<MclBitmapHandle>(&bitmapToken);
}

int GetDIBits(MclBitmapHandle, int firstLine, int lineCount, unsigned char* rows, const DibInfoHeader* info) {
  if (source.framesWithoutRows.count(source.currentFrame) != 0) return 0;
  const int rowBytes = info->width * 3;
  const int rowLength = (rowBytes + 3) & ~3;
  for (int r = 0; r < lineCount; ++r) {
    unsigned char* out = rows + static_cast<std::ptrdiff_t>(r) * rowLength;
    if (source.currentFrame < 0) {
      std::memset(out, 0, static_cast<std::size_t>(rowBytes));
      continue;
    }
    const Picture& picture = source.frames[static_cast<std::size_t>(source.currentFrame)];
    std::memcpy(out, picture.data() + static_cast<std::ptrdiff_t>(firstLine + r) * rowBytes,
                static_cast<std::size_t>(rowBytes));
  }
  return lineCount;
}

void ReleaseDIB(MclBitmapHandle) { ++source.bitmapsReleased; }

int ReadSound(MclReadHandle, std::int64_t firstSample, std::int32_t count, MclSoundHandle) {
  const int readNumber = static_cast<int>(source.soundReads.size());
  source.soundReads.emplace_back(firstSample, count);
  const std::int64_t frameBytes = (source.bits / 8) * source.channels;
  const auto total = static_cast<std::int64_t>(source.samples.size());
  const std::int64_t begin = std::min(total, firstSample * frameBytes);
  const std::int64_t end = std::min(total, (firstSample + count) * frameBytes);
  source.soundBuffer.assign(source.samples.begin() + begin, source.samples.begin() + end);
  if (source.soundJumpReads.count(readNumber)) source.errorSet = true;
  return source.failSoundReads.count(readNumber) ? Fail() : 0;
}

int SndGetInfo(MclSoundHandle, std::int32_t* unused, std::int32_t* channels, std::int32_t* bits,
               std::int32_t* byteCount, const unsigned char** data) {
  *unused = 0;
  *channels = source.channels;
  *bits = source.bits;
  *byteCount = static_cast<std::int32_t>(source.soundBuffer.size());
  *data = source.soundBuffer.empty() ? nullptr : source.soundBuffer.data();
  return 0;
}

// The scripted samples stand for what the library delivers in the format
// asked for: 16-bit samples in the channels asked for, at the movie's rate.
int SndSetFormat(MclReadHandle, std::int32_t halfRate, std::int32_t channels) {
  source.formatsAsked.emplace_back(halfRate, channels);
  source.bits = 16;
  source.channels = channels;
  return 0;
}

void SndFree(MclSoundHandle) { ++source.soundsFreed; }
void ImgFree(MclImageHandle) { ++source.imagesFreed; }
int GetError() { return source.errorSet ? 7 : 0; }
const char* GetErrorStr() { return source.errorSet ? source.errorText.c_str() : ""; }
void ReadClose(MclReadHandle) { ++source.closed; }

int GetFileInfoParts(const char* const* paths, int count, int flags, SourceFileInfo* info) {
  source.partsOpened.assign(paths, paths + count);
  return GetFileInfo(paths[0], flags, info, 0, 0);
}

MclReadHandle ReadOpenParts(const char* const* paths, int, int flags) { return ReadOpen(paths[0], flags, 0, 0); }

}  // namespace

Picture SolidPicture(int w, int h, std::uint8_t value) { return Picture(static_cast<std::size_t>(w * h * 3), value); }

void SetPixel(Picture& picture, int w, int h, int x, int y, std::uint8_t value) {
  const int r = h - 1 - y;
  std::uint8_t* pixel = picture.data() + (r * w + x) * 3;
  pixel[0] = pixel[1] = pixel[2] = value;
}

FakeSource& Fake() { return source; }

void ResetFake() { source = FakeSource{}; }

const DecoderFunctions& FakeDecoder() {
  static const DecoderFunctions table{GetFileInfo, ReadOpen,  SndCreate,   ImgCreate, ReadImage,  ReadPlan,
                                      ImgToDIB,    GetDIBits, ReleaseDIB,  ReadSound, SndGetInfo, SndFree,
                                      ImgFree,     GetError,  GetErrorStr, ReadClose, nullptr,    SndSetFormat,
                                      GetFileInfoParts, ReadOpenParts,    nullptr};
  return table;
}
