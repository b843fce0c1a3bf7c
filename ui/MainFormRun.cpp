// The run as seen from the window: locking during a run and the window side
// of the conversion (message list, code box, shell).
#include <algorithm>
#include <utility>

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTextBlock>

#include "convert/HandOffMovie.h"
#include "convert/RufflePage.h"
#include "ui/MainForm.h"
#include "ui/Maker.h"

namespace {

// Lines and bar are painted at most this often; the window handles input
// at least this often, so "Abbrechen" takes effect at once.
constexpr int kPaintPeriodMs = 40;
constexpr int kInputPeriodMs = 100;

}  // namespace

void TMainForm::StartRun() {
  if (!imaging_ || runGoing_) return;
  // A second start inside a running conversion would corrupt both movies, so
  // the controls that start or end one are locked until it returns.
  struct RunLock {
    explicit RunLock(TMainForm& window) : window(window) { window.ShowRunControls(true); }
    ~RunLock() { window.ShowRunControls(false); }
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;
    TMainForm& window;
  } lock(*this);
  const bool written = services_.runConversion(settings_, *this, imaging_->api);
  if (!written && cancelRequested_) {
    memo_->setPlainText(QString::fromUtf8("Konvertierung abgebrochen: %1 wurde nicht geschrieben.")
                            .arg(QFile::decodeName(settings_.targetPath.c_str())));
  }
  if (std::exchange(closeAfterRun_, false)) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TMainForm::ShowRunControls(bool running) {
  runGoing_ = running;
  cancelRequested_ = false;
  for (const char* name : {"CreateFlashBtn", "SelectVideoBtn", "EndeBtn", "EndeBtn2"}) {
    findChild<QWidget*>(name)->setEnabled(!running);
  }
  // Its dialog would hold the run until closed.
  findChild<QAction*>("FilenameEdit1Browse")->setEnabled(!running);
  // The run takes these once at its start (the tolerance also sets how far
  // the pictures overlap), so they wait for the next run.
  findChild<QWidget*>("TabSheet4")->setEnabled(!running);
  progressBar_->setRange(0, 0);
  progressBar_->setVisible(running);
  findChild<QWidget*>("AbbrechenBtn")->setVisible(running);
  paintClock_.start();
  inputClock_.start();
}

void TMainForm::AbbrechenBtnClick() {
  if (runGoing_) cancelRequested_ = true;
}

// Closing during a run stops it like "Abbrechen" and closes the window
// once the run has cleaned up after itself.
void TMainForm::closeEvent(QCloseEvent* event) {
  if (runGoing_) {
    cancelRequested_ = true;
    closeAfterRun_ = true;
    event->ignore();
    return;
  }
  event->accept();
}

void TMainForm::ShowStatusLine(const std::string& line) {
  if (listBox_->count() > 4) delete listBox_->takeItem(0);
  const QString text = QString::fromStdString(line);
  auto* item = new QListWidgetItem(text);
  item->setSizeHint(QSize(listBox_->fontMetrics().horizontalAdvance(text) + 6, 13));
  listBox_->addItem(item);
  if (runGoing_) PaintNow();
}

// Paints without handling input: the run is in the middle of a picture.
void TMainForm::PaintNow() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  paintClock_.restart();
}

void TMainForm::ShowProgress(int framesWalked, int frameTotal) {
  if (frameTotal > 0) {
    progressBar_->setRange(0, frameTotal);
    progressBar_->setValue(std::min(framesWalked, frameTotal));
  }
  if (paintClock_.isValid() && paintClock_.elapsed() >= kPaintPeriodMs) PaintNow();
}

bool TMainForm::InputTurnDue() { return inputClock_.isValid() && inputClock_.elapsed() >= kInputPeriodMs; }

void TMainForm::ProcessPendingInput() {
  QCoreApplication::processEvents();
  inputClock_.restart();
}

void TMainForm::ClearCodeLines() { memo_->clear(); }

void TMainForm::AppendCodeLine(const std::string& line) { memo_->appendPlainText(QString::fromStdString(line)); }

void TMainForm::SaveCodeLines(const std::string& path) {
  std::vector<std::string> lines;
  if (!memo_->document()->isEmpty()) {
    for (QTextBlock block = memo_->document()->begin(); block.isValid(); block = block.next()) {
      lines.push_back(block.text().toStdString());
    }
  }
  WriteLinesWithCrLf(path, PageLines(page_.kind, MovieName(settings_.targetPath), page_.ruffleScript, lines));
}

void TMainForm::ShellOpen(const std::string& pathOrAddress) { services_.shell->Open(pathOrAddress); }

void TMainForm::wwwBtnClick() { services_.shell->Open(kMakerAddress); }

void TMainForm::ueberbtnClick() {
  if (showAbout_) showAbout_(runGoing_);
}

void TMainForm::EndeBtnClick() { close(); }
