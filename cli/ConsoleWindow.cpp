#include "cli/ConsoleWindow.h"

#include <utility>

ConsoleWindow::ConsoleWindow(std::ostream& out, std::ostream& err, ProgressBar* progress, PageWriter writer,
                             Opener opener, ConsoleChoices choices)
    : out_(out),
      err_(err),
      progress_(progress),
      writer_(std::move(writer)),
      opener_(std::move(opener)),
      choices_(choices) {}

void ConsoleWindow::BeginRun(const std::string& movieName, const std::string& announcement, const std::string& source) {
  movieName_ = movieName;
  announcement_ = announcement;
  codeLines_.clear();
  runProgress_ = {};
  reason_.clear();
  runGoing_ = true;
  if (progress_) progress_->Start();
  if (progressLog_) progressLog_->Begin(source);
}

void ConsoleWindow::EndRun() {
  if (progress_) progress_->Clear();
  if (progressLog_ && runGoing_) progressLog_->End(runProgress_);
  runGoing_ = false;
  announcement_.clear();
  if (!choices_.printCode) return;
  for (const std::string& line : codeLines_) out_ << line << '\n';
  out_.flush();
}

void ConsoleWindow::ShowInfoLine(const std::string& line) {
  if (choices_.quiet) return;
  if (progress_) progress_->Clear();
  out_ << line << std::endl;
}

void ConsoleWindow::ShowResultLine(const std::string& line) {
  if (progress_) progress_->Clear();
  out_ << line << std::endl;
}

void ConsoleWindow::ShowPendingAnnouncement() {
  if (announcement_.empty()) return;
  ShowInfoLine(announcement_);
  announcement_.clear();
}

void ConsoleWindow::ShowStatusLine(const std::string& line) { ShowLine(LineKind::Status, line); }

void ConsoleWindow::ShowLine(LineKind kind, const std::string& line) {
  if (kind != LineKind::Problem) ShowPendingAnnouncement();
  if (kind == LineKind::Status) {
    // On a terminal the bar already says how far the run got.
    if (!(progress_ && choices_.outIsTerminal)) ShowInfoLine(line);
    return;
  }
  if (reason_.empty()) reason_ = line;
  if (progress_) progress_->Clear();
  // Flushed at once so the lines and the bar interleave in order.
  err_ << kProblemPrefix << line << std::endl;
}

void ConsoleWindow::ProcessPendingInput() { out_.flush(); }

void ConsoleWindow::ShowMovieSoFar(double movieSeconds, std::uint64_t movieBytes) {
  runProgress_.movieSeconds = movieSeconds;
  runProgress_.movieBytes = movieBytes;
}

void ConsoleWindow::ShowProgress(int framesWalked, int frameTotal) {
  runProgress_.frame = framesWalked;
  runProgress_.total = frameTotal;
  if (progress_) progress_->Update(framesWalked, frameTotal);
  if (progressLog_) progressLog_->Update(runProgress_);
}

void ConsoleWindow::ClearCodeLines() { codeLines_.clear(); }

void ConsoleWindow::AppendCodeLine(const std::string& line) { codeLines_.push_back(line); }

void ConsoleWindow::SaveCodeLines(const std::string& path) { writer_(path, movieName_, codeLines_); }

void ConsoleWindow::ShellOpen(const std::string& pathOrAddress) {
  if (!choices_.allowOpen || opener_(pathOrAddress)) return;
  ShowWarningLine("Kein Programm hat " + pathOrAddress + " geöffnet (xdg-open fehlt oder kennt keins dafür).");
}
