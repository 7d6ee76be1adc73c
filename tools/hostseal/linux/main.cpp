// hostseal: the command-line tool. Parses the command line, sets the code page, runs one
// command and turns its outcome into the exit status.
#include <csignal>

#include "tools/hostseal/command_line.hpp"

int main(int argc, char** argv) {
  // A reader that goes away (output piped into `head`) is a write error with a
  // message and exit status 3, not a silent death.
  std::signal(SIGPIPE, SIG_IGN);
  // Likewise a write past the file-size limit (ulimit -f): an error "File too large" with exit
  // status 3, for a file and for standard output alike, not a death that leaves half a file.
  std::signal(SIGXFSZ, SIG_IGN);
  return hostseal::cli::RunCommandLine(argc, argv);
}
