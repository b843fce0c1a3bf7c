#include <iostream>

#include <QApplication>
#include <QDate>

#include "convert/RunConversion.h"
#include "media/decoder/RealDecoder.h"
#include "ui/Fonts.h"
#include "ui/QtDialogProvider.h"
#include "ui/ShellOpener.h"
#include "ui/Startup.h"
#include "ui/Translations.h"

namespace {

QStringList Arguments(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  return arguments;
}

}  // namespace

int main(int argc, char** argv) {
  // Before the application object, which needs a display.
  if (const std::optional<int> answered = AnswerInfoOption(Arguments(argc, argv), std::cout)) return *answered;
  QApplication application(argc, argv);
  QApplication::setFont(WindowFont());
  const std::unique_ptr<QTranslator> qtTexts = InstallGermanQtTexts();
  QtDialogProvider dialogs(AutotestRequested());
  DesktopShellOpener shell;
  MainFormServices services{&dialogs, &shell, PictavoModuleLoader(QApplication::applicationDirPath().toStdString()),
                            [](ConversionSettings& settings, ConversionWindow& window, const PictavoApi& imaging) {
                              const ConversionOutcome outcome = RunConversion(settings, window, imaging, RealDecoder());
                              return outcome == ConversionOutcome::Complete || outcome == ConversionOutcome::Incomplete;
                            }};
  return RunTessaline(std::move(services), ParseStartupOptions(QApplication::arguments()), QDate::currentDate());
}
