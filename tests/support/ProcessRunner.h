// Runs a program the way a shell script would and collects what it left: the
// one way the tests start other programs (ffmpeg, ffprobe, our own tools).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct ProgramResult {
  int exitCode = -1;  // -1 when it did not exit normally
  bool timedOut = false;
  std::string out;
  std::string err;
};

struct ProgramCall {
  std::vector<std::string> argv;                   // argv[0] is looked up in PATH unless it holds a '/'
  std::filesystem::path workDir = {};              // empty: ours; captured output goes to the temporary folder
  std::vector<std::string> extraEnvironment = {};  // "NAME=value", overriding ours
  bool errOnTerminal = false;                      // stderr on a pseudo terminal instead of a file
  double timeoutSeconds = 0;                       // 0: wait as long as it takes; else killed then
};

ProgramResult RunProgram(const ProgramCall& call);

std::string ReadWholeFile(const std::filesystem::path& file);
