// The tool's command line: its commands, their arguments and options, the global options, and
// the help texts with an example for each command.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <CLI/CLI.hpp>

#include "tools/hostseal/secrets/key_options.hpp"

namespace hostseal::cli {

enum class CommandId {
  kEncrypt,
  kDecrypt,
  kEncryptFile,
  kDecryptFile,
  kHostIp,
  kMac,
  kCpu,
  kUtf8,
  kAnsi,
  kIdentity,
  kKeygen,
};

// What the command line asked for, filled in by parsing.
struct CommandLine {
  std::optional<int> codePage;      // --codepage or HOSTSEAL_CODEPAGE
  std::optional<std::string> text;  // TEXT or HEX of the text commands; none: standard input
  std::string inputFile;
  std::string outputFile;  // empty for decrypt-file --check
  bool check = false;      // decrypt-file --check: whether the key fits, nothing written
  KeyOptions key;
  int keyBits = 128;  // keygen --bits
  std::string name;   // host-ip NAME, mac IP
  bool json = false;  // identity --json

  std::vector<std::pair<CLI::App*, CommandId>> commands;

  // The command that was parsed.
  CommandId Parsed() const;
};

// Defines the commands and options on app, storing into line.
void DefineCommandLine(CLI::App& app, CommandLine& line);

}  // namespace hostseal::cli
