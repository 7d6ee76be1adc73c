// UsageError: the command line asked for something that cannot be done as asked (two key
// sources, --bits without a pass phrase, a prompt without a terminal). The tool shows the
// message and exits with the usage status, 2.
#pragma once

#include <stdexcept>
#include <string>

namespace hostseal::cli {

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
