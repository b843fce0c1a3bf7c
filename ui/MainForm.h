// The main window: every setting of a conversion in its controls, the start
// of a run, and the window side of the run (message list, code box).
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QElapsedTimer>
#include <QWidget>

#include "convert/ConversionSettings.h"
#include "convert/ConversionWindow.h"
#include "ui/AdvancedPage.h"
#include "ui/DialogProvider.h"
#include "ui/ImagingLoader.h"
#include "ui/ShellOpener.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QSpinBox;

using ConversionRunner = std::function<bool(ConversionSettings&, ConversionWindow&, const PictavoApi&)>;

struct MainFormServices {
  DialogProvider* dialogs;
  ShellOpener* shell;
  ImagingLoader loadImaging;
  ConversionRunner runConversion;
};

class TMainForm final : public QWidget, public ConversionWindow {
  Q_OBJECT
 public:
  explicit TMainForm(MainFormServices services, QWidget* parent = nullptr);
  ~TMainForm() override;

  // False when the imaging module is missing; the message has been shown.
  bool FormCreate();
  // whileRunning: the information window must not halt the run.
  void SetAboutHandler(std::function<void(bool whileRunning)> showAbout) { showAbout_ = std::move(showAbout); }
  // A source named on the command line: shown in the edit as if chosen in the open dialog.
  void PreselectSource(const QString& path);

  const ConversionSettings& Settings() const { return settings_; }
  const PageChoice& Page() const { return page_; }
  bool RunGoing() const { return runGoing_; }
  bool ueberbtnPressed = false;
  bool EndeBtnPressed = false;

  void ShowStatusLine(const std::string& line) override;
  void ProcessPendingInput() override;
  void ClearCodeLines() override;
  void AppendCodeLine(const std::string& line) override;
  void SaveCodeLines(const std::string& path) override;
  void ShellOpen(const std::string& pathOrAddress) override;
  void* OwnerWindowHandle() override { return static_cast<QWidget*>(this); }
  void ShowProgress(int framesWalked, int frameTotal) override;
  bool InputTurnDue() override;
  bool CancelRequested() override { return cancelRequested_; }

  void CompressEdChange();
  void SelectVideoBtnClick();
  void CreateFlashBtnClick();
  void wwwBtnClick();
  void BrowseClick();
  void ueberbtnClick();
  void EndeBtnClick();
  void AbbrechenBtnClick();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  QWidget* BuildBottomPanel();
  QWidget* BuildPictureSide(QWidget* sheet);
  QWidget* BuildSettingsPanel(QWidget* parent);
  void BuildSourceControls(QWidget* panel);
  void BuildNumberControls(QWidget* panel);
  void BuildAudioControls(QWidget* panel);
  void BuildResultControls(QWidget* panel);
  void BuildImageButtons(QWidget* panel);
  void BuildRunControls(QWidget* panel);
  void SetTabOrder();
  void ConnectSettings();
  void ConnectButtons();
  void Guarded(const std::function<void()>& handler);
  void RefreshSourcePath();
  void PutPathIntoEdit(const QString& path);
  void AcceptVideoDrops();
  void SuggestTarget();
  void StartRun();
  void ShowRunControls(bool running);
  void PaintNow();
  void CentreOnScreen();

  MainFormServices services_;
  ConversionSettings settings_;
  std::optional<LoadedImaging> imaging_;
  FileDialogSetup openDialog_;
  FileDialogSetup saveDialog_;
  PageChoice page_;
  std::function<void(bool)> showAbout_;
  bool runGoing_ = false;
  bool cancelRequested_ = false;
  bool closeAfterRun_ = false;  // the window was closed during the run
  QElapsedTimer paintClock_;  // since the run's lines and bar were last painted
  QElapsedTimer inputClock_;  // since the run last let the window handle input

  QLineEdit* filenameEdit_ = nullptr;
  QSpinBox* bpsEd_ = nullptr;
  QSpinBox* compressEd_ = nullptr;
  QComboBox* soundBox_ = nullptr;
  QListWidget* listBox_ = nullptr;
  QPlainTextEdit* memo_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
};
