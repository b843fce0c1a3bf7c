// Qt's own dialogs as the program shows them: in German, and asking before
// a movie is replaced.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "ui/QtDialogProvider.h"
#include "ui/Translations.h"

namespace {

TEST(QtDialogs, SpeakGerman) {
  const std::unique_ptr<QTranslator> texts = InstallGermanQtTexts();
  ASSERT_NE(texts, nullptr) << "Qt's German texts (qt6-translations-l10n) are missing";
  QDialogButtonBox box(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
  EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), "Abbrechen");
  EXPECT_EQ(box.button(QDialogButtonBox::Save)->text(), "Speichern");
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "Suchen in:");
}

TEST(QtDialogs, SaveDialogAsksBeforeReplacingAFile) {
  QTemporaryDir dir;
  const QString existing = dir.filePath("film.swf");
  QFile file(existing);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  QtDialogProvider dialogs(false);
  FileDialogSetup setup{"", "Flash-Film (*.swf)|*.swf", dir.path(), existing, "swf"};
  bool asked = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    // The question comes inside accept(), in a loop of its own.
    QTimer::singleShot(0, [&] {
      auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      asked = question != nullptr;
      if (question != nullptr) question->button(QMessageBox::Yes)->click();
    });
    QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    if (dialog->isVisible()) dialog->reject();
  });
  const std::optional<QString> chosen = dialogs.SaveFile(nullptr, setup);
  EXPECT_TRUE(asked);
  EXPECT_EQ(chosen.value_or(""), existing);
}

}  // namespace
