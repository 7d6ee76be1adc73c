// Runs a program with a given environment and standard input and collects its standard
// output, standard error and exit status. Either output can be a pipe, a pseudo-terminal
// (so that the program sees a terminal) or a file opened for writing.
#pragma once

#include <string>
#include <vector>

namespace hostseal::testing {

struct OutputTarget {
  enum class Kind { kPipe, kTerminal, kFile };
  Kind kind = Kind::kPipe;
  std::string path;  // for kFile
};

struct ProcessRun {
  std::vector<std::string> argv;  // argv[0] is the program's path
  std::vector<std::string> env;   // NAME=VALUE; nothing else is inherited
  std::string input;              // all of standard input
  OutputTarget out, err;
};

struct ProcessResult {
  std::string out, err;
  int status = -1;  // the exit status, or 128 + the signal that ended the program
};

ProcessResult RunProcess(const ProcessRun& run);

}  // namespace hostseal::testing
