// The exit statuses of the hostseal tool.
#pragma once

namespace hostseal::cli {

enum ExitStatus : int {
  kExitSuccess = 0,
  kExitFailure = 1,  // the operation reported a failure: a status, a message, an empty result
  kExitUsage = 2,    // the command line could not be understood
  kExitRaised = 3,   // a raised error; its description went to standard error
};

}  // namespace hostseal::cli
