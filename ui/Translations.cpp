#include "ui/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

std::unique_ptr<QTranslator> InstallGermanQtTexts() {
  auto translator = std::make_unique<QTranslator>();
  // German whatever the desktop's language: every other text is German too.
  const bool loaded =
      translator->load(QLocale(QLocale::German, QLocale::Germany), "qt", "_",
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  if (!loaded || !QCoreApplication::installTranslator(translator.get())) return nullptr;
  return translator;
}
