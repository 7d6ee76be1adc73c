// The key options of the file commands: --key HEX, --passphrase TEXT [--bits N], or neither
// for the built-in pass phrase; --key and --passphrase exclude each other.
#pragma once

#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "hostseal/ui/key_choice.hpp"

namespace hostseal::cli {

struct KeyOptions {
  std::optional<std::string> hexKey;      // UTF-8, as given
  std::optional<std::string> passPhrase;  // UTF-8, as given
  int bits = 128;
};

// Adds the three options to a file command.
void AddKeyOptions(CLI::App& command, KeyOptions& options);

// The choice the options describe; the text is decoded from UTF-8.
KeyChoice ToKeyChoice(const KeyOptions& options);

}  // namespace hostseal::cli
