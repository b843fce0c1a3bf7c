// The library's entry points: thin wrappers that check handles, keep the
// last error and never let an exception out.
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "media/mcl/DibWriter.h"
#include "media/mcl/FileInfo.h"
#include "media/mcl/MclError.h"
#include "media/mcl/SoundReader.h"
#include "media/mcl/VideoReader.h"
#include "media/mcl/mcl.h"

struct MclReader {
  std::unique_ptr<mcl::VideoReader> video;
  std::unique_ptr<mcl::SoundReader> sound;  // opened at the first sound read
  mcl::SoundOutput soundOutput;
};

struct MclImage {
  mcl::FramePtr frame{av_frame_alloc()};  // a reference to the decoder's picture
  std::shared_ptr<mcl::ScalerCache> scaler = std::make_shared<mcl::ScalerCache>();
  std::string path;
};

struct MclBitmap {
  mcl::FramePtr frame{av_frame_alloc()};
  std::shared_ptr<mcl::ScalerCache> scaler;
  std::string path;
};

struct MclSound {
  std::vector<std::uint8_t> data;
  int channels = 1;
  int bits = 16;
};

namespace {

constexpr int kPastEnd = 1;
constexpr int kBadHandle = -1;

int Fail(mcl::ErrorKind kind, const std::string& path) {
  mcl::SetError(kind, path);
  return static_cast<int>(kind);
}

// The file a text about the source names: the first part that cannot be
// opened, else the first part.
const std::string& NamedFile(const mcl::SourceFiles& files) {
  static const std::string kNone;
  for (const std::string& file : files)
    if (mcl::CheckSourceFile(file) != mcl::ErrorKind::kNone) return file;
  return files.empty() ? kNone : files.front();
}

mcl::SourceFiles FilesOf(const char* const* paths, int count) {
  mcl::SourceFiles files;
  for (int i = 0; paths != nullptr && i < count; ++i) files.emplace_back(paths[i] ? paths[i] : "");
  return files;
}

int GetFileInfo(const mcl::SourceFiles& files, int flags, SourceFileInfo* info) {
  mcl::ClearError();
  try {
    if (info == nullptr) return Fail(mcl::ErrorKind::kInvalidArgument, NamedFile(files));
    double damageAt = 0;
    const mcl::ErrorKind kind = mcl::ReadFileInfo(files, flags, *info, damageAt);
    if (kind == mcl::ErrorKind::kClockJump) {
      mcl::SetDamage(kind, NamedFile(files), damageAt);
      return static_cast<int>(kind);
    }
    return kind == mcl::ErrorKind::kNone ? 0 : Fail(kind, NamedFile(files));
  } catch (const std::bad_alloc&) {
    return Fail(mcl::ErrorKind::kOutOfMemory, NamedFile(files));
  }
}

MclReadHandle ReadOpen(const mcl::SourceFiles& files, int flags) {
  // The error of the file information before stays when opening succeeds: it
  // says why the file reads only in part.
  try {
    mcl::ErrorKind kind = mcl::ErrorKind::kNone;
    auto reader = std::make_unique<MclReader>();
    reader->video = mcl::VideoReader::Open(files, flags, kind);
    if (!reader->video) {
      Fail(kind, NamedFile(files));
      return nullptr;
    }
    return reader.release();
  } catch (const std::bad_alloc&) {
    Fail(mcl::ErrorKind::kOutOfMemory, NamedFile(files));
    return nullptr;
  }
}

}  // namespace

int MclGetFileInfo(const char* path, int flags, SourceFileInfo* info, int /*reserved1*/, int /*reserved2*/) {
  return GetFileInfo({path ? path : ""}, flags, info);
}

MclReadHandle MclReadOpen(const char* path, int flags, int /*reserved1*/, int /*reserved2*/) {
  return ReadOpen({path ? path : ""}, flags);
}

int MclGetFileInfoParts(const char* const* paths, int count, int flags, SourceFileInfo* info) {
  return GetFileInfo(FilesOf(paths, count), flags, info);
}

MclReadHandle MclReadOpenParts(const char* const* paths, int count, int flags) {
  return ReadOpen(FilesOf(paths, count), flags);
}

MclSoundHandle MclSndCreate() { return new (std::nothrow) MclSound; }

MclImageHandle MclImgCreate() {
  try {
    auto image = std::make_unique<MclImage>();
    return image->frame ? image.release() : nullptr;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

int MclReadImage(MclReadHandle read, std::int32_t frameIndex, MclImageHandle image) {
  if (read == nullptr || image == nullptr) return kBadHandle;
  const std::string& path = read->video->Path();
  try {
    switch (read->video->ReadFrame(frameIndex)) {
      case mcl::ReadStatus::kPastEnd:
        return kPastEnd;
      case mcl::ReadStatus::kError:
        return read->video->ReportFailure();
      case mcl::ReadStatus::kOk:
        break;
    }
    av_frame_unref(image->frame.get());
    if (av_frame_ref(image->frame.get(), read->video->Current()) < 0) {
      return Fail(mcl::ErrorKind::kOutOfMemory, path);
    }
    image->path = path;
    return 0;
  } catch (const std::bad_alloc&) {
    return Fail(mcl::ErrorKind::kOutOfMemory, path);
  }
}

// A call on the picture reader whose only failure is memory running out.
template <typename Call>
int OnVideo(MclReadHandle read, Call call) {
  if (read == nullptr) return kBadHandle;
  try {
    call(*read->video);
    return 0;
  } catch (const std::bad_alloc&) {
    return Fail(mcl::ErrorKind::kOutOfMemory, read->video->Path());
  }
}

int MclReadPlan(MclReadHandle read, std::int32_t frameIndex) {
  return OnVideo(read, [frameIndex](mcl::VideoReader& video) { video.Plan(frameIndex); });
}

int MclReadToEnd(MclReadHandle read) {
  return OnVideo(read, [](mcl::VideoReader& video) { video.ReadToEnd(); });
}

MclBitmapHandle MclImgToDIB(MclImageHandle image) {
  if (image == nullptr) return nullptr;
  try {
    auto bitmap = std::make_unique<MclBitmap>();
    if (!bitmap->frame) return nullptr;
    if (image->frame->buf[0] != nullptr && av_frame_ref(bitmap->frame.get(), image->frame.get()) < 0) {
      return nullptr;
    }
    bitmap->scaler = image->scaler;
    bitmap->path = image->path;
    return bitmap.release();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

int MclGetDIBits(MclBitmapHandle bitmap, int firstLine, int lineCount, unsigned char* rows, const DibInfoHeader* info) {
  if (bitmap == nullptr || info == nullptr) return 0;
  try {
    const int lines = mcl::WriteDibRows(*bitmap->scaler, *bitmap->frame, firstLine, lineCount, rows, *info);
    if (lines >= 0) return lines;
  } catch (const std::bad_alloc&) {
  }
  Fail(mcl::ErrorKind::kConversionFailed, bitmap->path);
  return 0;
}

void MclReleaseDIB(MclBitmapHandle bitmap) { delete bitmap; }

int MclReadSound(MclReadHandle read, std::int64_t firstSample, std::int32_t count, MclSoundHandle sound) {
  if (read == nullptr || sound == nullptr) return kBadHandle;
  const std::string& path = read->video->Path();
  try {
    if (!read->sound) {
      mcl::ErrorKind kind = mcl::ErrorKind::kNone;
      read->sound = mcl::SoundReader::Open(read->video->Files(), read->video->StartSeconds(), read->soundOutput, kind);
      if (!read->sound) return Fail(kind, path);
    }
    if (!read->sound->Read(firstSample, count, sound->data)) return Fail(mcl::ErrorKind::kSoundUnreadable, path);
    sound->channels = read->sound->Channels();
    sound->bits = read->sound->Bits();
    if (read->sound->TakeJump()) {
      mcl::SetError(mcl::ErrorKind::kSoundJump, path);
    } else if (read->sound->TakeFirstDamage()) {
      mcl::SetDamage(mcl::ErrorKind::kDamagedSound, path, static_cast<double>(firstSample) / read->sound->Rate());
    }
    return 0;
  } catch (const std::bad_alloc&) {
    return Fail(mcl::ErrorKind::kOutOfMemory, path);
  }
}

int MclSndSetFormat(MclReadHandle read, std::int32_t halfRate, std::int32_t channels) {
  constexpr std::int32_t kHighestHalfRate = 2 * 384000;
  if (read == nullptr || halfRate <= 0 || halfRate > kHighestHalfRate || channels < 1 || channels > 2)
    return kBadHandle;
  read->soundOutput = mcl::SoundOutput{halfRate, channels};
  read->sound.reset();  // opened again in the new format at the next read
  return 0;
}

int MclSndGetInfo(MclSoundHandle sound, std::int32_t* unused, std::int32_t* channels, std::int32_t* bits,
                  std::int32_t* byteCount, const unsigned char** data) {
  if (sound == nullptr) return kBadHandle;
  // Never a null pointer, so that a caller that looks at the first sample of
  // an empty read finds silence rather than a crash.
  static const unsigned char kSilence[4] = {};
  if (unused != nullptr) *unused = 0;
  if (channels != nullptr) *channels = sound->channels;
  if (bits != nullptr) *bits = sound->bits;
  if (byteCount != nullptr) *byteCount = static_cast<std::int32_t>(sound->data.size());
  if (data != nullptr) *data = sound->data.empty() ? kSilence : sound->data.data();
  return 0;
}

void MclSndFree(MclSoundHandle sound) { delete sound; }

void MclImgFree(MclImageHandle image) { delete image; }

int MclGetError() { return mcl::LastErrorNumber(); }

const char* MclGetErrorStr() { return mcl::LastErrorText(); }

void MclReadClose(MclReadHandle read) { delete read; }
