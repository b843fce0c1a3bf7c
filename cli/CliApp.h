// The whole command line: options, imaging module, conversions, exit code.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Which of the standard streams are terminals.
struct Terminals {
  bool out = false;
  bool err = false;  // the progress bar is drawn only then
};

// args excludes the program name. Returns the process exit code.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, Terminals terminals);
