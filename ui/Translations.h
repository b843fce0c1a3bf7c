// Qt's own texts (file dialogs, standard buttons, context menus) in German,
// like the rest of the program, from Debian's qt6-translations-l10n.
#pragma once

#include <memory>

#include <QTranslator>

// Installed on the application while the result lives; null when Qt's
// German catalogue is not installed (the dialogs then speak English).
std::unique_ptr<QTranslator> InstallGermanQtTexts();
