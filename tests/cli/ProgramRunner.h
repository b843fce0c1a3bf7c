// Runs a program the way a shell script would and collects what it left.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct ProgramResult {
  int exitCode = -1;  // -1 when it did not exit normally
  std::string out;
  std::string err;
};

struct ProgramCall {
  std::vector<std::string> argv;                   // argv[0] is looked up in PATH unless it holds a '/'
  std::filesystem::path workDir;                   // also holds the captured output files
  std::vector<std::string> extraEnvironment = {};  // "NAME=value", overriding ours
  bool errOnTerminal = false;                      // stderr on a pseudo terminal instead of a file
};

ProgramResult RunProgram(const ProgramCall& call);

std::string ReadWholeFile(const std::filesystem::path& file);
