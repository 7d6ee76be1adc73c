// Runs a program with a given environment and standard input and collects its standard
// output, standard error and exit status. Either output can be a pipe, a pseudo-terminal
// (so that the program sees a terminal) or a file opened for writing. The program may also
// get a pseudo-terminal of its own as its controlling terminal (/dev/tty), with which the test
// holds a scripted conversation.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace hostseal::testing {

struct OutputTarget {
  enum class Kind { kPipe, kTerminal, kFile };
  Kind kind = Kind::kPipe;
  std::string path;  // for kFile
};

// One turn of a conversation on the controlling terminal: once the terminal has shown expect
// (after the previous turn's), send is typed and then, if not 0, signal is sent.
struct TerminalTurn {
  std::string expect;
  std::string send;
  int signal = 0;
};

struct ProcessRun {
  std::vector<std::string> argv;  // argv[0] is the program's path
  std::vector<std::string> env;   // NAME=VALUE; nothing else is inherited
  std::string input;              // all of standard input
  OutputTarget out, err;
};

// What a test may add to a run.
struct RunControl {
  // If set, standard input is this file, opened for reading, instead of a pipe holding input.
  std::string inputFile;
  // A controlling terminal of the program's own (a new session), and what to say on it.
  bool controllingTerminal = false;
  std::vector<TerminalTurn> conversation;
  // Called with the program's process id once it has started.
  std::function<void(int pid)> started;
};

struct ProcessResult {
  std::string out, err;
  int status = -1;              // the exit status, or 128 + the signal that ended the program
  std::string terminal;         // what the controlling terminal showed
  bool terminalEchoes = false;  // the terminal's echo setting once the program had ended
};

ProcessResult RunProcess(const ProcessRun& run, const RunControl& control = {});

}  // namespace hostseal::testing
