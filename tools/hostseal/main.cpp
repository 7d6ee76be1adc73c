// hostseal: the command-line tool. Parses the command line, sets the code page, runs one
// command and turns its outcome into the exit status.
#include "tools/hostseal/run_command_line.hpp"

int main(int argc, char** argv) {
  return hostseal::cli::RunCommandLine(argc, argv);
}
