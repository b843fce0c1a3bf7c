#include "ui/ErrorReport.h"

#include <exception>

#include <QCoreApplication>

#include "ui/DialogProvider.h"

QString ErrorReportText(const QString& message) {
  if (!message.isEmpty() && message.back() > QChar('.')) return message + '.';
  return message;
}

void ReportErrors(DialogProvider& dialogs, QWidget* owner, const std::function<void()>& handler) {
  QString message;
  try {
    handler();
    return;
  } catch (const std::exception& error) {
    message = QString::fromUtf8(error.what());
  } catch (...) {
    message = QStringLiteral("Unbekannter Fehler");
  }
  dialogs.ShowError(owner, ErrorReportText(message), QCoreApplication::applicationName());
}
