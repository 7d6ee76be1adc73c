// AskPassPhrase over the platform's terminal (terminal_line.hpp): the prompts, asking twice
// when encrypting, and the messages.
#include "tools/hostseal/secrets/pass_phrase_prompt.hpp"

#include <string>
#include <string_view>

#include "tools/hostseal/exit_status.hpp"
#include "tools/hostseal/secrets/key_sources.hpp"
#include "tools/hostseal/secrets/terminal_line.hpp"

namespace hostseal::cli {

namespace {

// One answer: the line typed after the prompt, without its line break.
SecretText Ask(const Terminal& terminal, std::string_view prompt) {
  SecretText line;
  switch (terminal.ReadLine(prompt, line)) {
    case LineEnd::kInputEnded:
      throw UsageError("--ask-passphrase: the input ended before a pass phrase was entered", false);
    case LineEnd::kNotText:
      throw UsageError("--ask-passphrase: the pass phrase is not Unicode text", false);
    case LineEnd::kLine:
      if (line.Size() <= kMaxSecretLine) return line;
      break;
    case LineEnd::kTooLong:
      break;
  }
  throw UsageError("--ask-passphrase: the pass phrase is longer than " +
                       std::to_string(kMaxSecretLine) + " bytes",
                   false);
}

}  // namespace

SecretText AskPassPhrase(bool confirm) {
  const Terminal terminal;
  const EchoOff quiet(terminal);
  SecretText first = Ask(terminal, "Pass phrase: ");
  if (confirm) {
    const SecretText second = Ask(terminal, "Pass phrase again: ");
    if (first.View() != second.View()) {
      throw UsageError("--ask-passphrase: the two pass phrases differ; nothing was encrypted",
                       false);
    }
  }
  return first;
}

}  // namespace hostseal::cli
