// The information window: who made the program, and a link to its site.
#pragma once

#include <QDate>
#include <QDialog>

class ShellOpener;

// The notice line; "XXXX" becomes the year the program started.
extern const char* const kNoticeTemplate;

class TAboutBox final : public QDialog {
  Q_OBJECT
 public:
  TAboutBox(QWidget* parent, QDate startDate, ShellOpener& shell);

  void BitBtnXP1Click();
  // Modal as ever, but beside the main window while a run goes: a modal
  // window's own event loop would hold the run until it is closed.
  void ShowFor(bool whileRunning);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void FormCreate(QDate startDate);
  void BuildTexts(QWidget* panel);
  void BuildButtons(QWidget* panel);

  ShellOpener& shell_;
};
