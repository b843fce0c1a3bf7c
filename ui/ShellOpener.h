// Opens a file or web address with the desktop's associated program, behind
// an interface so tests never open anything.
#pragma once

#include <string>

class ShellOpener {
 public:
  virtual ~ShellOpener() = default;
  // The result is never examined: a failing open is silent.
  virtual void Open(const std::string& pathOrAddress) = 0;
};

class DesktopShellOpener final : public ShellOpener {
 public:
  void Open(const std::string& pathOrAddress) override;
};
