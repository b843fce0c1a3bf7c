#include "cli/ConsoleWindow.h"

#include <utility>

bool IsProgressLine(const std::string& line) {
  if (line == "Starte Konvertierung..." || line == "Konvertiertung beendet.") return true;
  // "Frame <n> von <total>"
  const std::size_t of = line.find(" von ");
  auto digitsOnly = [](const std::string& text) {
    return !text.empty() && text.find_first_not_of("-0123456789") == std::string::npos;
  };
  return line.starts_with("Frame ") && of != std::string::npos && digitsOnly(line.substr(6, of - 6)) &&
         digitsOnly(line.substr(of + 5));
}

ConsoleWindow::ConsoleWindow(std::ostream& out, std::ostream& err, ProgressBar* progress, PageWriter writer,
                             Opener opener, ConsoleChoices choices)
    : out_(out),
      err_(err),
      progress_(progress),
      writer_(std::move(writer)),
      opener_(std::move(opener)),
      choices_(choices) {}

void ConsoleWindow::BeginRun(const std::string& movieName) {
  movieName_ = movieName;
  codeLines_.clear();
  if (progress_) progress_->Start();
}

void ConsoleWindow::EndRun() {
  if (progress_) progress_->Clear();
  if (!choices_.printCode) return;
  for (const std::string& line : codeLines_) out_ << line << '\n';
  out_.flush();
}

void ConsoleWindow::ShowInfoLine(const std::string& line) {
  if (choices_.quiet) return;
  if (progress_) progress_->Clear();
  out_ << line << std::endl;
}

void ConsoleWindow::ShowStatusLine(const std::string& line) {
  if (IsProgressLine(line)) return ShowInfoLine(line);
  if (progress_) progress_->Clear();
  // Flushed at once so the lines and the bar interleave in order.
  err_ << line << std::endl;
}

void ConsoleWindow::ProcessPendingInput() { out_.flush(); }

void ConsoleWindow::ShowProgress(int framesWalked, int frameTotal) {
  if (progress_) progress_->Update(framesWalked, frameTotal);
}

void ConsoleWindow::ClearCodeLines() { codeLines_.clear(); }

void ConsoleWindow::AppendCodeLine(const std::string& line) { codeLines_.push_back(line); }

void ConsoleWindow::SaveCodeLines(const std::string& path) { writer_(path, movieName_, codeLines_); }

void ConsoleWindow::ShellOpen(const std::string& pathOrAddress) {
  if (choices_.allowOpen) opener_(pathOrAddress);
}
