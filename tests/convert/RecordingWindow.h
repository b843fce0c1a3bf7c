// A window that records what a run shows and asks for, and opens nothing.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "convert/ConversionWindow.h"
#include "convert/HandOffMovie.h"

class RecordingWindow : public ConversionWindow {
 public:
  void ShowStatusLine(const std::string& line) override { lines.push_back(line); }
  void ProcessPendingInput() override {
    ++inputTurns;
    if (onInput) onInput();
  }
  void ShowProgress(int framesWalked, int frameTotal) override { progress.emplace_back(framesWalked, frameTotal); }
  void ClearCodeLines() override { codeLines.clear(); }
  void AppendCodeLine(const std::string& line) override { codeLines.push_back(line); }
  void SaveCodeLines(const std::string& path) override { WriteLinesWithCrLf(path, codeLines); }
  void ShellOpen(const std::string& pathOrAddress) override { opened.push_back(pathOrAddress); }
  void* OwnerWindowHandle() override { return this; }
  bool InputTurnDue() override { return turnDue && turnDue(); }
  bool CancelRequested() override { return cancel && cancel(); }

  std::vector<std::string> lines;
  int inputTurns = 0;
  std::function<void()> onInput;
  std::function<bool()> turnDue;
  std::function<bool()> cancel;
  std::vector<std::pair<int, int>> progress;
  std::vector<std::string> codeLines;
  std::vector<std::string> opened;
};
