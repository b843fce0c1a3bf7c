// Scripted dialogs, a recording shell and imaging module, and a main window
// wired to them, so the tests drive the window without anything modal.
#pragma once

#include <deque>
#include <memory>
#include <vector>

#include <QMouseEvent>

#include "ui/MainForm.h"

class ScriptedDialogs final : public DialogProvider {
 public:
  struct Error {
    QString text;
    QString caption;
  };
  // Each dialog takes the next answer; none left counts as cancelled.
  std::deque<QString> openAnswers;
  std::deque<QString> saveAnswers;
  std::vector<FileDialogSetup> openCalls;
  std::vector<FileDialogSetup> saveCalls;
  std::vector<QString> messages;
  std::vector<Error> errors;

  std::optional<QString> OpenFile(QWidget* owner, const FileDialogSetup& setup) override;
  std::optional<QString> SaveFile(QWidget* owner, const FileDialogSetup& setup) override;
  void ShowMessage(QWidget* owner, const QString& text) override;
  void ShowError(QWidget* owner, const QString& text, const QString& caption) override;
};

class RecordingShell final : public ShellOpener {
 public:
  std::vector<std::string> opened;
  void Open(const std::string& pathOrAddress) override { opened.push_back(pathOrAddress); }
};

// Qualities handed to the fake module's SetJPEGQual, oldest first.
std::vector<int>& RecordedQualities();
LoadedImaging RecordingImaging();

struct FormUnderTest {
  ScriptedDialogs dialogs;
  RecordingShell shell;
  std::vector<ConversionSettings> runs;  // settings as each run started
  std::function<void(ConversionSettings&, ConversionWindow&)> duringRun;
  bool runWrites = true;  // what the scripted run answers
  int aboutShown = 0;
  int aboutWhileRunning = 0;
  std::unique_ptr<TMainForm> form;

  FormUnderTest();
  template <typename W = QWidget>
  W* Find(const char* name) const {
    return form->findChild<W*>(name);
  }
};

// Delivers a mouse event the way the platform does: to the mouse grabber if
// there is one, else to target; position is relative to target.
void SendMouse(QWidget* target, QEvent::Type type, QPoint position, Qt::MouseButton button);
