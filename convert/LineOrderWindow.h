// The window as a run sees it: before any line or input turn, the pictures
// whose outcome a one-thread run would have shown by then are finished, so
// the lines come in the same order however the pictures overlap.
#pragma once

#include <string>

#include "convert/ConversionWindow.h"
#include "convert/PicturePipeline.h"

class LineOrderWindow : public ConversionWindow {
 public:
  LineOrderWindow(ConversionWindow& window, PicturePipeline& pictures) : window_(window), pictures_(pictures) {}

  void ShowStatusLine(const std::string& line) override {
    pictures_.SettleOverdue();
    window_.ShowStatusLine(line);
  }
  void ShowLine(LineKind kind, const std::string& line) override {
    pictures_.SettleOverdue();
    window_.ShowLine(kind, line);
  }
  void ProcessPendingInput() override {
    pictures_.SettleOverdue();
    window_.ProcessPendingInput();
  }
  void ShowMovieSoFar(double movieSeconds, std::uint64_t movieBytes) override {
    window_.ShowMovieSoFar(movieSeconds, movieBytes);
  }
  void ShowProgress(int framesWalked, int frameTotal) override { window_.ShowProgress(framesWalked, frameTotal); }
  void ClearCodeLines() override { window_.ClearCodeLines(); }
  void AppendCodeLine(const std::string& line) override { window_.AppendCodeLine(line); }
  void SaveCodeLines(const std::string& path) override { window_.SaveCodeLines(path); }
  void ShellOpen(const std::string& pathOrAddress) override { window_.ShellOpen(pathOrAddress); }
  void* OwnerWindowHandle() override { return window_.OwnerWindowHandle(); }
  bool InputTurnDue() override { return window_.InputTurnDue(); }
  bool CancelRequested() override { return window_.CancelRequested(); }

 private:
  ConversionWindow& window_;
  PicturePipeline& pictures_;
};
