#include "media/mcl/MclError.h"

#include <cerrno>
#include <filesystem>

extern "C" {
#include <libavutil/error.h>
}

namespace mcl {
namespace {

int errorNumber = 0;
std::string errorText;

const char* CauseOf(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::kNone:
      return "";
    case ErrorKind::kFileNotFound:
      return "Datei nicht gefunden.";
    case ErrorKind::kEmptyFile:
      return "Die Datei ist leer.";
    case ErrorKind::kFolder:
      return "Das ist ein Ordner, keine Datei.";
    case ErrorKind::kNotAFile:
      return "Das ist keine gewöhnliche Datei, sondern ein Gerät, eine Pipe oder ein Socket.";
    case ErrorKind::kNotAVideo:
      return "Die Datei ist keine Videodatei.";
    case ErrorKind::kNoVideoStream:
      return "Die Datei enthält keine Videospur.";
    case ErrorKind::kNoPicture:
      return "Kein Bild der Datei lässt sich lesen.";
    case ErrorKind::kSoundUnreadable:
      return "Der Ton lässt sich nicht lesen.";
    case ErrorKind::kSoundJump:
      return "Die Zeitangaben des Tons springen; der Ton läuft ab dort im Takt des Films weiter.";
    case ErrorKind::kCorrupt:
      return "Die Datei ist unvollständig oder beschädigt.";
    case ErrorKind::kNoDecoder:
      return "Für dieses Videoformat ist kein Decoder vorhanden.";
    case ErrorKind::kAccessDenied:
      return "Zugriff verweigert.";
    case ErrorKind::kOutOfMemory:
      return "Nicht genügend Arbeitsspeicher.";
    case ErrorKind::kConversionFailed:
      return "Das Bild kann nicht umgewandelt werden.";
    case ErrorKind::kInvalidArgument:
      return "Ungültiger Aufruf.";
  }
  return "Unbekannter Fehler.";
}

}  // namespace

void ClearError() {
  errorNumber = 0;
  errorText.clear();
}

void SetError(ErrorKind kind, const std::string& path) {
  errorNumber = static_cast<int>(kind);
  if (kind == ErrorKind::kNone) {
    errorText.clear();
    return;
  }
  // The bare name keeps the line short in the window's message list.
  const std::string name = std::filesystem::path(path).filename().string();
  errorText = "Die Videodatei „" + name + "“ kann nicht gelesen werden: " + CauseOf(kind);
}

ErrorKind KindOfAvError(int averror) {
  if (averror == AVERROR(ENOENT)) return ErrorKind::kFileNotFound;
  if (averror == AVERROR(EACCES) || averror == AVERROR(EPERM)) return ErrorKind::kAccessDenied;
  if (averror == AVERROR(ENOMEM)) return ErrorKind::kOutOfMemory;
  if (averror == AVERROR_DECODER_NOT_FOUND) return ErrorKind::kNoDecoder;
  if (averror == AVERROR_INVALIDDATA || averror == AVERROR_DEMUXER_NOT_FOUND) return ErrorKind::kNotAVideo;
  return ErrorKind::kCorrupt;
}

int LastErrorNumber() { return errorNumber; }

const char* LastErrorText() { return errorText.c_str(); }

}  // namespace mcl
