// The run as seen from the window: locking during a run and the window side
// of the conversion (message list, code box, shell).
#include <QCloseEvent>
#include <QCoreApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextBlock>

#include "convert/HandOffMovie.h"
#include "ui/MainForm.h"
#include "ui/Maker.h"

namespace {

// A second start inside a running conversion would corrupt both movies, so
// the controls that start or end one are locked until it returns.
class RunLock {
 public:
  RunLock(QWidget& window, bool& runGoing) : window_(window), runGoing_(runGoing) { Lock(true); }
  ~RunLock() { Lock(false); }
  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;

 private:
  void Lock(bool locked) {
    runGoing_ = locked;
    for (const char* name : {"CreateFlashBtn", "SelectVideoBtn", "EndeBtn", "EndeBtn2"}) {
      window_.findChild<QWidget*>(name)->setEnabled(!locked);
    }
  }
  QWidget& window_;
  bool& runGoing_;
};

}  // namespace

void TMainForm::StartRun() {
  if (!imaging_ || runGoing_) return;
  RunLock lock(*this, runGoing_);
  services_.runConversion(settings_, *this, imaging_->api);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (runGoing_) {
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
}

void TMainForm::ProcessPendingInput() { QCoreApplication::processEvents(); }

void TMainForm::ClearCodeLines() { memo_->clear(); }

void TMainForm::AppendCodeLine(const std::string& line) { memo_->appendPlainText(QString::fromStdString(line)); }

void TMainForm::SaveCodeLines(const std::string& path) {
  std::vector<std::string> lines;
  if (!memo_->document()->isEmpty()) {
    for (QTextBlock block = memo_->document()->begin(); block.isValid(); block = block.next()) {
      lines.push_back(block.text().toStdString());
    }
  }
  WriteLinesWithCrLf(path, lines);
}

void TMainForm::ShellOpen(const std::string& pathOrAddress) { services_.shell->Open(pathOrAddress); }

void TMainForm::wwwBtnClick() { services_.shell->Open(kMakerAddress); }

void TMainForm::ueberbtnClick() {
  if (showAbout_) showAbout_();
}

void TMainForm::EndeBtnClick() { close(); }
