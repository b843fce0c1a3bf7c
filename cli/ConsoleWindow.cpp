#include "cli/ConsoleWindow.h"

#include <utility>

ConsoleWindow::ConsoleWindow(std::ostream& out, ProgressBar* progress, LinesWriter writer, Opener opener,
                             bool allowOpen)
    : out_(out), progress_(progress), writer_(std::move(writer)), opener_(std::move(opener)), allowOpen_(allowOpen) {}

void ConsoleWindow::BeginRun() {
  codeLines_.clear();
  if (progress_) progress_->Start();
}

void ConsoleWindow::EndRun() {
  if (progress_) progress_->Clear();
  for (const std::string& line : codeLines_) out_ << line << '\n';
  out_.flush();
}

void ConsoleWindow::ShowStatusLine(const std::string& line) {
  if (progress_) progress_->Clear();
  // Flushed at once so the lines and the bar on the other stream interleave in order.
  out_ << line << std::endl;
}

void ConsoleWindow::ProcessPendingInput() { out_.flush(); }

void ConsoleWindow::ShowProgress(int framesWalked, int frameTotal) {
  if (progress_) progress_->Update(framesWalked, frameTotal);
}

void ConsoleWindow::ClearCodeLines() { codeLines_.clear(); }

void ConsoleWindow::AppendCodeLine(const std::string& line) { codeLines_.push_back(line); }

void ConsoleWindow::SaveCodeLines(const std::string& path) { writer_(path, codeLines_); }

void ConsoleWindow::ShellOpen(const std::string& pathOrAddress) {
  if (allowOpen_) opener_(pathOrAddress);
}
