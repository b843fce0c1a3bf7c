// The conversion's window on a console: every message line goes to the
// output stream, the code box is kept in memory and printed after the run.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/ProgressBar.h"
#include "convert/ConversionWindow.h"

class ConsoleWindow : public ConversionWindow {
 public:
  using LinesWriter = std::function<void(const std::string& path, const std::vector<std::string>& lines)>;
  using Opener = std::function<void(const std::string& pathOrAddress)>;

  // progress may be null (no terminal). writer saves the code box; opener is
  // called only when allowOpen is set.
  ConsoleWindow(std::ostream& out, ProgressBar* progress, LinesWriter writer, Opener opener, bool allowOpen);

  // Forgets the previous run's code lines and restarts the elapsed time.
  void BeginRun();
  // Takes the progress bar off the screen and prints the code box, if filled.
  void EndRun();

  const std::vector<std::string>& CodeLines() const { return codeLines_; }

  void ShowStatusLine(const std::string& line) override;
  void ProcessPendingInput() override;
  void ShowProgress(int framesWalked, int frameTotal) override;
  void ClearCodeLines() override;
  void AppendCodeLine(const std::string& line) override;
  void SaveCodeLines(const std::string& path) override;
  void ShellOpen(const std::string& pathOrAddress) override;

 private:
  std::ostream& out_;
  ProgressBar* progress_;
  LinesWriter writer_;
  Opener opener_;
  bool allowOpen_;
  std::vector<std::string> codeLines_;
};
