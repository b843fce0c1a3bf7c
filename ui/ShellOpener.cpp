#include "ui/ShellOpener.h"

#include <QDesktopServices>
#include <QUrl>

void DesktopShellOpener::Open(const std::string& pathOrAddress) {
  const QString text = QString::fromStdString(pathOrAddress);
  const bool isAddress = text.contains("://");
  QDesktopServices::openUrl(isAddress ? QUrl(text) : QUrl::fromLocalFile(text));
}
