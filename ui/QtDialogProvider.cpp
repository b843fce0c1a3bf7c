#include "ui/QtDialogProvider.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QFileDialog>
#include <QMessageBox>

#include "ui/FileFilter.h"

namespace {

std::optional<QString> RunFileDialog(QFileDialog& dialog, const FileDialogSetup& setup) {
  dialog.setWindowTitle(setup.title);
  // The description already lists the patterns; showing them twice is noise.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters(QtNameFilters(setup.filter));
  if (!setup.directory.isEmpty()) dialog.setDirectory(setup.directory);
  if (!setup.fileName.isEmpty()) dialog.selectFile(setup.fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}

}  // namespace

bool AutotestRequested() {
  const char* value = std::getenv(kAutotestVariable);
  return value != nullptr && std::strcmp(value, "1") == 0;
}

void AutotestReport(const QString& line) {
  std::fprintf(stderr, "%s%s\n", kAutotestPrefix, line.toUtf8().constData());
  std::fflush(stderr);
}

std::optional<QString> QtDialogProvider::OpenFile(QWidget* owner, const FileDialogSetup& setup) {
  if (autotest_) return std::nullopt;
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  return RunFileDialog(dialog, setup);
}

std::optional<QString> QtDialogProvider::SaveFile(QWidget* owner, const FileDialogSetup& setup) {
  if (autotest_) return std::nullopt;
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(setup.defaultSuffix);
  return RunFileDialog(dialog, setup);
}

void QtDialogProvider::ShowMessage(QWidget* owner, const QString& text) {
  if (autotest_) return AutotestReport("message: " + text);
  QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok, owner);
  box.exec();
}

void QtDialogProvider::ShowError(QWidget* owner, const QString& text, const QString& caption) {
  if (autotest_) return AutotestReport("error: " + caption + ": " + text);
  QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, owner);
  box.exec();
}
