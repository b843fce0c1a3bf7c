// The library's last error, process-wide, and the German texts for it.
#pragma once

#include <string>

namespace mcl {

enum class ErrorKind {
  kNone = 0,
  kFileNotFound,
  kEmptyFile,
  kNotAVideo,
  kNoVideoStream,
  kCorrupt,
  kNoDecoder,
  kAccessDenied,
  kOutOfMemory,
  kConversionFailed,
  kInvalidArgument,
  kFolder,
  kNotAFile,
  kNoPicture,
  kSoundUnreadable,
  kSoundJump,
  kTooManyFiles,
  // Damage at a point of the file: the pictures go on or end there.
  kClockJump,
  kShrunk,
  kDamagedPictures,
  kDamagedSound,
  kDamagedHeaders,
};

void ClearError();
// Records the error for the file at path; the text names the file and the cause.
void SetError(ErrorKind kind, const std::string& path);
// Damage found at a point of the file, atSeconds after its first picture.
void SetDamage(ErrorKind kind, const std::string& path, double atSeconds);
// Maps an FFmpeg result (AVERROR) to the nearest kind.
ErrorKind KindOfAvError(int averror);
int LastErrorNumber();
const char* LastErrorText();

}  // namespace mcl
