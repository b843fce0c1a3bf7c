// The program's start-up: windows created in order, then the message loop.
#pragma once

#include <QDate>
#include <QString>

#include "ui/MainForm.h"

struct StartupOptions {
  QString screenshotDir;  // when set: save both windows as PNGs and end
  QString sourceFile;     // the first other argument, shown as the source (desktop entry's %f)
};

StartupOptions ParseStartupOptions(const QStringList& arguments);

// Returns the program's exit code.
int RunTessaline(MainFormServices services, const StartupOptions& options, QDate startDate);
