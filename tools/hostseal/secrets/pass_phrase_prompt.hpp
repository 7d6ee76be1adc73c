// AskPassPhrase: the pass phrase typed at the terminal, for --ask-passphrase.
//
// The prompt is written to and the answer read from the controlling terminal (/dev/tty), not
// the standard streams, so that it works while they are redirected, with echo switched off
// while the user types. The terminal's settings are restored on every way out: an answer, an
// error, and a signal that ends or stops the tool (the echo is switched off again when a
// stopped tool continues).
#pragma once

#include "tools/hostseal/secrets/secret_text.hpp"

namespace hostseal::cli {

// With confirm (when encrypting), asks twice and requires the same answer. Raises a UsageError
// when there is no terminal, the input ends before a line, or the two answers differ.
SecretText AskPassPhrase(bool confirm);

}  // namespace hostseal::cli
