// What a conversion needs from the window that started it. The desktop
// window, the command line and the tests each implement it.
#pragma once

#include <cstdint>
#include <string>

// What a line of a run tells: how far it got; something lost on the way
// (the movie is still written, incomplete); or a failure (no movie).
enum class LineKind { Status, Warning, Problem };

class ConversionWindow {
 public:
  virtual ~ConversionWindow() = default;

  // Appends one line to the message list (the window keeps the last five).
  virtual void ShowStatusLine(const std::string& line) = 0;
  // A line of the given kind. The window shows every kind alike in its
  // list; a console sets warnings and problems apart from the results.
  virtual void ShowLine(LineKind kind, const std::string& line) {
    (void)kind;
    ShowStatusLine(line);
  }
  void ShowWarningLine(const std::string& line) { ShowLine(LineKind::Warning, line); }
  void ShowProblemLine(const std::string& line) { ShowLine(LineKind::Problem, line); }
  // Lets the window handle input that arrived since the last call.
  virtual void ProcessPendingInput() = 0;
  // Called before each ShowProgress: the movie's length and bytes so far.
  virtual void ShowMovieSoFar(double movieSeconds, std::uint64_t movieBytes) {
    (void)movieSeconds;
    (void)movieBytes;
  }
  // Called once per source frame walked; front ends may draw progress.
  virtual void ShowProgress(int framesWalked, int frameTotal) {
    (void)framesWalked;
    (void)frameTotal;
  }

  // The code box holding the embedding code.
  virtual void ClearCodeLines() = 0;
  virtual void AppendCodeLine(const std::string& line) = 0;
  // Writes the code box's lines to path, each ended by CR LF. Throws
  // std::runtime_error("Datei <path> kann nicht erstellt werden (<reason>)") on failure.
  virtual void SaveCodeLines(const std::string& path) = 0;

  // Opens a file or web address with the program the desktop associates with it.
  virtual void ShellOpen(const std::string& pathOrAddress) = 0;
  // Owner of shell calls and of the imaging module's save; may be null.
  virtual void* OwnerWindowHandle() { return nullptr; }

  // Asked after each source frame: true when the window wants to handle
  // input before the next one, besides the turns every 100 frames.
  virtual bool InputTurnDue() { return false; }
  // Asked after each source frame: true stops the run there; no movie is kept.
  virtual bool CancelRequested() { return false; }
};
