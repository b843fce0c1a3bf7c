// The conversion's window on a console: status lines go to the output
// stream (or, on a terminal with a progress bar, into the bar), warnings and
// failures to the error stream with the program's name before them, the code
// box is kept in memory and printed after the run when asked for.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/ProgressBar.h"
#include "cli/ProgressLog.h"
#include "convert/ConversionWindow.h"

inline constexpr const char* kProblemPrefix = "tessaline-cli: ";

struct ConsoleChoices {
  bool allowOpen = false;      // --open
  bool printCode = false;      // --print-code
  bool quiet = false;          // -q, --json, --progress -: nothing on the output stream but what was asked for
  bool outIsTerminal = false;  // the run's status lines then go into the progress bar instead of scrolling
};

class ConsoleWindow : public ConversionWindow {
 public:
  // Writes the page at pagePath from the code box's lines of the movie movieName.
  using PageWriter = std::function<void(const std::string& pagePath, const std::string& movieName,
                                        const std::vector<std::string>& codeLines)>;
  // Returns whether something took the file.
  using Opener = std::function<bool(const std::string& pathOrAddress)>;

  // progress may be null (no terminal). opener is called only when allowOpen is set.
  ConsoleWindow(std::ostream& out, std::ostream& err, ProgressBar* progress, PageWriter writer, Opener opener,
                ConsoleChoices choices);

  // Blocks for --progress; log may be null.
  void ReportProgressTo(ProgressLog* log) { progressLog_ = log; }

  // Forgets the previous run's code lines, progress and reason and restarts
  // the elapsed time. announcement is shown before the run's first status
  // or warning line; a run that fails before it starts never shows it.
  // source names the run in the --progress blocks.
  void BeginRun(const std::string& movieName, const std::string& announcement = {}, const std::string& source = {});
  // Takes the progress bar off the screen and prints the code box when asked to.
  void EndRun();
  // What the run does and did (the files written, the batch's sum), unless quiet.
  void ShowInfoLine(const std::string& line);
  // A line asked for (--json), quiet or not.
  void ShowResultLine(const std::string& line);

  const std::vector<std::string>& CodeLines() const { return codeLines_; }
  const RunProgress& Progress() const { return runProgress_; }
  // The run's first warning or problem line; empty when there was none.
  const std::string& Reason() const { return reason_; }

  void ShowStatusLine(const std::string& line) override;
  void ShowLine(LineKind kind, const std::string& line) override;
  void ProcessPendingInput() override;
  void ShowMovieSoFar(double movieSeconds, std::uint64_t movieBytes) override;
  void ShowProgress(int framesWalked, int frameTotal) override;
  void ClearCodeLines() override;
  void AppendCodeLine(const std::string& line) override;
  void SaveCodeLines(const std::string& path) override;
  void ShellOpen(const std::string& pathOrAddress) override;

 private:
  void ShowPendingAnnouncement();

  std::ostream& out_;
  std::ostream& err_;
  ProgressBar* progress_;
  ProgressLog* progressLog_ = nullptr;
  PageWriter writer_;
  Opener opener_;
  ConsoleChoices choices_;
  std::string movieName_;
  std::string announcement_;
  std::vector<std::string> codeLines_;
  RunProgress runProgress_;
  std::string reason_;
  bool runGoing_ = false;
};
