// The modal dialogs the windows show, behind an interface so tests answer them.
#pragma once

#include <optional>

#include <QString>

class QWidget;

// One file dialog's state; filter in the "description|patterns" form.
struct FileDialogSetup {
  QString title;
  QString filter;
  QString directory;
  QString fileName;
  QString defaultSuffix;
};

class DialogProvider {
 public:
  virtual ~DialogProvider() = default;
  // Both return the confirmed full path, or nothing when cancelled.
  virtual std::optional<QString> OpenFile(QWidget* owner, const FileDialogSetup& setup) = 0;
  // The save dialog asks before an existing file is replaced.
  virtual std::optional<QString> SaveFile(QWidget* owner, const FileDialogSetup& setup) = 0;
  // OK button, no icon, the platform's default caption.
  virtual void ShowMessage(QWidget* owner, const QString& text) = 0;
  // OK button, error icon, the given caption.
  virtual void ShowError(QWidget* owner, const QString& text, const QString& caption) = 0;
};
