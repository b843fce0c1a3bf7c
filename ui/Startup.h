// The program's start-up: windows created in order, then the message loop.
#pragma once

#include <optional>
#include <ostream>

#include <QDate>
#include <QString>

#include "ui/MainForm.h"

struct StartupOptions {
  QString screenshotDir;  // when set: save both windows as PNGs and end
  QString sourceFile;     // the first other argument, shown as the source (desktop entry's %f)
};

StartupOptions ParseStartupOptions(const QStringList& arguments);

// --help and --version are answered on out before any window or display is
// needed; returns the exit code then, nothing for a start of the window.
std::optional<int> AnswerInfoOption(const QStringList& arguments, std::ostream& out);

// Returns the program's exit code.
int RunTessaline(MainFormServices services, const StartupOptions& options, QDate startDate);
