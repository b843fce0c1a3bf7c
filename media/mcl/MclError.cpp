#include "media/mcl/MclError.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

extern "C" {
#include <libavutil/error.h>
}

namespace mcl {
namespace {

int errorNumber = 0;
std::string errorText;

// A shortage of the system's, with its own words for it.
std::string SystemShortage(const char* what, int code) { return std::string(what) + " (" + std::strerror(code) + ")."; }

std::string GermanSeconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", std::max(0.0, seconds));
  std::string german = text;
  std::replace(german.begin(), german.end(), '.', ',');
  return german;
}

std::string DamageAt(ErrorKind kind, double seconds) {
  const std::string at = GermanSeconds(seconds) + " s";
  switch (kind) {
    case ErrorKind::kClockJump:
      return "Die Zeitangaben der Bilder springen nach " + at + "; der Film läuft dort ohne Lücke weiter.";
    case ErrorKind::kShrunk:
      return "Die Datei ist während des Lesens kürzer geworden; die Bilder enden nach " + at + ".";
    case ErrorKind::kDamagedSound:
      return "Der Ton ab " + at + " lässt sich nicht fehlerfrei dekodieren.";
    case ErrorKind::kDamagedHeaders:
      return "Die Kopfdaten der Datei sind fehlerhaft.";
    default:
      return "Die Bilder ab " + at + " lassen sich nicht fehlerfrei dekodieren.";
  }
}

std::string CauseOf(ErrorKind kind) {
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
      return SystemShortage("Nicht genügend Arbeitsspeicher", ENOMEM);
    case ErrorKind::kTooManyFiles:
      return SystemShortage("Zu viele offene Dateien", EMFILE);
    case ErrorKind::kConversionFailed:
      return "Das Bild kann nicht umgewandelt werden.";
    case ErrorKind::kInvalidArgument:
      return "Ungültiger Aufruf.";
    case ErrorKind::kClockJump:
    case ErrorKind::kShrunk:
    case ErrorKind::kDamagedPictures:
    case ErrorKind::kDamagedSound:
    case ErrorKind::kDamagedHeaders:
      return "Die Datei ist unvollständig oder beschädigt.";
  }
  return "Unbekannter Fehler.";
}

// The bare name keeps the line short in the window's message list.
std::string BareName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

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
  errorText = "Die Videodatei „" + BareName(path) + "“ kann nicht gelesen werden: " + CauseOf(kind);
}

void SetDamage(ErrorKind kind, const std::string& path, double atSeconds) {
  errorNumber = static_cast<int>(kind);
  errorText = "Die Videodatei „" + BareName(path) + "“ ist beschädigt: " + DamageAt(kind, atSeconds);
}

ErrorKind KindOfAvError(int averror) {
  if (averror == AVERROR(ENOENT)) return ErrorKind::kFileNotFound;
  if (averror == AVERROR(EACCES) || averror == AVERROR(EPERM)) return ErrorKind::kAccessDenied;
  if (averror == AVERROR(ENOMEM)) return ErrorKind::kOutOfMemory;
  if (averror == AVERROR(EMFILE) || averror == AVERROR(ENFILE)) return ErrorKind::kTooManyFiles;
  if (averror == AVERROR_DECODER_NOT_FOUND) return ErrorKind::kNoDecoder;
  if (averror == AVERROR_INVALIDDATA || averror == AVERROR_DEMUXER_NOT_FOUND) return ErrorKind::kNotAVideo;
  return ErrorKind::kCorrupt;
}

int LastErrorNumber() { return errorNumber; }

const char* LastErrorText() { return errorText.c_str(); }

}  // namespace mcl
