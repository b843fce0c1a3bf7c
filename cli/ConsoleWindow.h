// The conversion's window on a console: progress lines go to the output
// stream, warnings and failures to the error stream, the code box is kept in
// memory and printed after the run when asked for.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/ProgressBar.h"
#include "convert/ConversionWindow.h"

struct ConsoleChoices {
  bool allowOpen = false;  // --open
  bool printCode = false;  // --print-code
  bool quiet = false;      // -q: nothing on the output stream but what was asked for
};

class ConsoleWindow : public ConversionWindow {
 public:
  // Writes the page at pagePath from the code box's lines of the movie movieName.
  using PageWriter = std::function<void(const std::string& pagePath, const std::string& movieName,
                                        const std::vector<std::string>& codeLines)>;
  using Opener = std::function<void(const std::string& pathOrAddress)>;

  // progress may be null (no terminal). opener is called only when allowOpen is set.
  ConsoleWindow(std::ostream& out, std::ostream& err, ProgressBar* progress, PageWriter writer, Opener opener,
                ConsoleChoices choices);

  // Forgets the previous run's code lines and restarts the elapsed time.
  void BeginRun(const std::string& movieName);
  // Takes the progress bar off the screen and prints the code box when asked to.
  void EndRun();
  // What the run does and did (progress, files written, the batch's sum), unless quiet.
  void ShowInfoLine(const std::string& line);

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
  std::ostream& err_;
  ProgressBar* progress_;
  PageWriter writer_;
  Opener opener_;
  ConsoleChoices choices_;
  std::string movieName_;
  std::vector<std::string> codeLines_;
};

// The conversion's lines that only tell how far it got; every other status
// line is a warning or a failure.
bool IsProgressLine(const std::string& line);
