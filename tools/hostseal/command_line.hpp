// RunCommandLine: the whole tool behind main(): parses the command line (the global options and
// the commands of command_table.hpp), sets the code page, runs one command on the standard
// streams and turns its outcome into the exit status, usage errors worded in the tool's style.
// Kept apart from main() so that it can also run in process, as the fuzz target does.
#pragma once

namespace hostseal::cli {

// Returns the exit status (tools/hostseal/exit_status.hpp). Installs the tool's message sink
// as the process default while it runs and restores the standard-error sink afterwards.
int RunCommandLine(int argc, char** argv);

}  // namespace hostseal::cli
