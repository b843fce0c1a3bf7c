#include <QApplication>
#include <QDate>

#include "convert/RunConversion.h"
#include "media/decoder/RealDecoder.h"
#include "ui/Fonts.h"
#include "ui/QtDialogProvider.h"
#include "ui/ShellOpener.h"
#include "ui/Startup.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setFont(WindowFont());
  QtDialogProvider dialogs(AutotestRequested());
  DesktopShellOpener shell;
  MainFormServices services{&dialogs, &shell, PictavoModuleLoader(QApplication::applicationDirPath().toStdString()),
                            [](ConversionSettings& settings, ConversionWindow& window, const PictavoApi& imaging) {
                              const ConversionOutcome outcome = RunConversion(settings, window, imaging, RealDecoder());
                              return outcome == ConversionOutcome::Complete || outcome == ConversionOutcome::Incomplete;
                            }};
  return RunTessaline(std::move(services), ParseStartupOptions(QApplication::arguments()), QDate::currentDate());
}
