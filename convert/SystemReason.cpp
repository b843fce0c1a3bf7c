#include "convert/SystemReason.h"

#include <cerrno>
#include <cstring>

namespace {

struct GermanReason {
  int errorNumber;
  const char* text;
};

constexpr GermanReason kGermanReasons[] = {
    {ENOENT, "Datei oder Ordner nicht gefunden"},
    {EACCES, "Zugriff verweigert"},
    {EPERM, "Vorgang nicht erlaubt"},
    {ENOSPC, "Kein Platz mehr auf dem Datenträger"},
    {EDQUOT, "Speicherkontingent überschritten"},
    {EFBIG, "Datei zu groß"},
    {EROFS, "Dateisystem nur lesbar"},
    {ENAMETOOLONG, "Dateiname zu lang"},
    {EISDIR, "Das ist ein Ordner"},
    {ENOTDIR, "Ein Teil des Pfads ist kein Ordner"},
    {ELOOP, "Zu viele Verknüpfungen hintereinander"},
    {EEXIST, "Die Datei gibt es schon"},
    {EXDEV, "Anderes Dateisystem"},
    {EIO, "Ein-/Ausgabefehler"},
    {EMFILE, "Zu viele offene Dateien"},
    {ENFILE, "Zu viele offene Dateien im System"},
    {ENOMEM, "Zu wenig Arbeitsspeicher"},
    {EAGAIN, "Betriebsmittel vorübergehend nicht verfügbar, etwa Arbeitsspeicher oder Prozesse"},
};

}  // namespace

std::string SystemReason(int errorNumber) {
  if (errorNumber == 0) return {};
  for (const GermanReason& reason : kGermanReasons) {
    if (reason.errorNumber == errorNumber) return reason.text;
  }
  // strerror_r, not strerror: the run's other threads may ask at the same time.
  char buffer[256];
  return strerror_r(errorNumber, buffer, sizeof buffer);
}

std::string WithSystemReason(const std::string& line, int errorNumber) {
  const std::string reason = SystemReason(errorNumber);
  return reason.empty() ? line : line + " (" + reason + ")";
}
