// The whole command line: options, imaging module, conversions, exit code.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// args excludes the program name. The progress bar is drawn on err only when
// errIsTerminal is set. Returns the process exit code.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool errIsTerminal);
