// The real dialogs. In autotest mode nothing blocks: messages go to stderr
// and file dialogs count as cancelled, so a child process can be checked.
#pragma once

#include "ui/DialogProvider.h"

class QtDialogProvider final : public DialogProvider {
 public:
  explicit QtDialogProvider(bool autotest) : autotest_(autotest) {}

  std::optional<QString> OpenFile(QWidget* owner, const FileDialogSetup& setup) override;
  std::optional<QString> SaveFile(QWidget* owner, const FileDialogSetup& setup) override;
  void ShowMessage(QWidget* owner, const QString& text) override;
  void ShowError(QWidget* owner, const QString& text, const QString& caption) override;

 private:
  bool autotest_;
};

// Prefix of every line the autotest mode writes to stderr.
inline constexpr const char* kAutotestPrefix = "tessaline-autotest: ";
// Set to 1 in the environment to switch the autotest mode on.
inline constexpr const char* kAutotestVariable = "TESSALINE_AUTOTEST_MESSAGES";
bool AutotestRequested();
void AutotestReport(const QString& line);
