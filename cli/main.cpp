#include <signal.h>
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/CliApp.h"

int main(int argc, char** argv) {
  // A file-size limit then fails the write, which is reported, instead of ending the program.
  signal(SIGXFSZ, SIG_IGN);
  std::vector<std::string> args(argv + 1, argv + argc);
  return RunCommandLine(args, std::cout, std::cerr, {isatty(STDOUT_FILENO) == 1, isatty(STDERR_FILENO) == 1});
}
