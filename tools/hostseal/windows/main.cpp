// hostseal on Windows: the arguments come from the UTF-16 command line as UTF-8 (the narrow
// argv of main is in the ANSI code page). A write to a pipe whose reader has gone is an error
// of that write (ERROR_NO_DATA), not a signal, so nothing has to be ignored here.
#include <string>

#include "tools/console/windows/utf8_arguments.hpp"
#include "tools/hostseal/command_line.hpp"
#include "tools/hostseal/exit_status.hpp"
#include "tools/hostseal/secrets/key_sources.hpp"
#include "tools/hostseal/streams/standard_streams.hpp"

int main() {
  hostseal::cli::Utf8Arguments arguments;
  if (arguments.Unconvertible() != 0) {
    // Taken all the same, so that no run leaves a key in its environment.
    const hostseal::cli::SecretVariables wiped = hostseal::cli::TakeSecretVariables();
    hostseal::cli::WriteDiagnostic("argument " + std::to_string(arguments.Unconvertible()) +
                                   " is not Unicode text (it holds an unpaired surrogate)");
    return hostseal::cli::kExitUsage;
  }
  return hostseal::cli::RunCommandLine(arguments.Count(), arguments.Argv());
}
