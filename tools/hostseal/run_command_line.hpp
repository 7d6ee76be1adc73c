// RunCommandLine: the whole tool behind main(): parses the command line, sets the code page,
// runs one command on the standard streams and turns its outcome into the exit status. Kept
// apart from main() so that it can also run in process, as the fuzz target does.
#pragma once

namespace hostseal::cli {

// Returns the exit status (tools/hostseal/exit_status.hpp). Installs the tool's message sink
// as the process default while it runs and restores the standard-error sink afterwards.
int RunCommandLine(int argc, char** argv);

}  // namespace hostseal::cli
