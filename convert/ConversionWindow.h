// What a conversion needs from the window that started it. The desktop
// window, the command line and the tests each implement it.
#pragma once

#include <string>

class ConversionWindow {
 public:
  virtual ~ConversionWindow() = default;

  // Appends one line to the message list (the window keeps the last five).
  virtual void ShowStatusLine(const std::string& line) = 0;
  // A line that tells of a failure or of something lost. The window shows it
  // like any other line; a console sets it apart from the results.
  virtual void ShowProblemLine(const std::string& line) { ShowStatusLine(line); }
  // Lets the window handle input that arrived since the last call.
  virtual void ProcessPendingInput() = 0;
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
