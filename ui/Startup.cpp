#include "ui/Startup.h"

#include <memory>

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include "ui/AboutBox.h"
#include "ui/ErrorReport.h"
#include "ui/QtDialogProvider.h"

namespace {

struct Windows {
  std::unique_ptr<TMainForm> main;
  std::unique_ptr<TAboutBox> about;
};

// Steps 2 and 3 of the start; an empty main window means the program ends.
Windows CreateWindows(const MainFormServices& services, QDate startDate) {
  Windows windows;
  windows.main = std::make_unique<TMainForm>(services);
  if (!windows.main->FormCreate()) {
    windows.main.reset();
    return windows;
  }
  windows.about = std::make_unique<TAboutBox>(windows.main.get(), startDate, *services.shell);
  TAboutBox* about = windows.about.get();
  windows.main->SetAboutHandler([about](bool whileRunning) { about->ShowFor(whileRunning); });
  return windows;
}

bool SaveScreenshots(Windows& windows, const QString& dir) {
  QDir().mkpath(dir);
  windows.main->show();
  windows.about->show();
  QApplication::processEvents();
  const bool mainSaved = windows.main->grab().save(QDir(dir).filePath("mainwindow.png"));
  const bool aboutSaved = windows.about->grab().save(QDir(dir).filePath("aboutbox.png"));
  return mainSaved && aboutSaved;
}

}  // namespace

std::optional<int> AnswerInfoOption(const QStringList& arguments, std::ostream& out) {
  for (qsizetype i = 1; i < arguments.size() && arguments[i] != "--"; ++i) {
    if (arguments[i] == "--help" || arguments[i] == "-h") {
      out << "Aufruf: tessaline [VIDEODATEI]\n"
             "Öffnet das Fenster von Orvane Tessaline, das Videodateien (AVI, MPEG, VOB) in\n"
             "Flash-Filme umwandelt; eine angegebene VIDEODATEI ist darin schon gewählt.\n"
             "Umwandeln ohne Fenster: tessaline-cli --help\n"
             "\n"
             "  -h, --help     diese Hilfe zeigen\n"
             "  --version      die Version zeigen\n"
             "  --             alles Weitere ist die Videodatei, auch wenn es mit - beginnt\n";
      return 0;
    }
    if (arguments[i] == "--version") {
      out << "tessaline 1.0\nQt " << qVersion() << "\n";
      return 0;
    }
  }
  return std::nullopt;
}

StartupOptions ParseStartupOptions(const QStringList& arguments) {
  StartupOptions options;
  bool optionsEnded = false;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    if (!optionsEnded && arguments[i] == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && arguments[i] == "--screenshot") {
      if (i + 1 < arguments.size()) options.screenshotDir = arguments[++i];
    } else if (options.sourceFile.isEmpty()) {
      options.sourceFile = arguments[i];
    }
  }
  return options;
}

int RunTessaline(MainFormServices services, const StartupOptions& options, QDate startDate) {
  QApplication::setApplicationName("Tessaline");
  Windows windows;
  bool failed = false;
  ReportErrors(*services.dialogs, nullptr, [&] {
    failed = true;
    windows = CreateWindows(services, startDate);
    failed = false;
  });
  if (failed || !windows.main) return 1;
  if (!options.sourceFile.isEmpty()) windows.main->PreselectSource(QFileInfo(options.sourceFile).absoluteFilePath());
  if (!options.screenshotDir.isEmpty()) return SaveScreenshots(windows, options.screenshotDir) ? 0 : 1;
  if (AutotestRequested()) AutotestReport("window shown: " + windows.main->objectName());
  windows.main->show();
  return QApplication::exec();
}
