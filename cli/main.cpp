#include <signal.h>
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/CliApp.h"

namespace {

extern "C" void IgnoreBrokenPipe(int) {}

}  // namespace

int main(int argc, char** argv) {
  // A file-size limit then fails the write, which is reported, instead of ending the program.
  signal(SIGXFSZ, SIG_IGN);
  // A reader that stops reading (| head) then fails the write of a progress
  // line, which is let go, instead of ending the program before the movie is
  // written. A handler rather than SIG_IGN: programs started by --open get
  // the default action back.
  struct sigaction brokenPipe {};
  brokenPipe.sa_handler = IgnoreBrokenPipe;
  sigaction(SIGPIPE, &brokenPipe, nullptr);
  std::vector<std::string> args(argv + 1, argv + argc);
  return RunCommandLine(args, std::cout, std::cerr, {isatty(STDOUT_FILENO) == 1, isatty(STDERR_FILENO) == 1});
}
