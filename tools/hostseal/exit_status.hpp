// How a run of the hostseal tool ends: its exit statuses, and UsageError, which ends it with
// the usage status.
#pragma once

#include <stdexcept>
#include <string>

namespace hostseal::cli {

enum ExitStatus : int {
  kExitSuccess = 0,
  kExitFailure = 1,  // the operation reported a failure: a status, a message, an empty result
  kExitUsage = 2,    // the command line could not be understood
  kExitRaised = 3,   // a raised error; its description went to standard error
};

// The command line asked for something that cannot be done as asked (two key sources, --bits
// without a pass phrase, a prompt without a terminal). The tool shows the message and exits
// with kExitUsage.
class UsageError : public std::runtime_error {
 public:
  // withHelpHint: followed by the line that points to --help, as parse errors are.
  explicit UsageError(const std::string& message, bool withHelpHint = true)
      : std::runtime_error(message), m_WithHelpHint(withHelpHint) {}

  bool WithHelpHint() const { return m_WithHelpHint; }

 private:
  bool m_WithHelpHint;
};

}  // namespace hostseal::cli
