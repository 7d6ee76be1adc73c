// The tool's command line: its commands, their arguments and options, the global options, and
// the help texts with an example for each command.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
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

// The commands by name, and which of them write files: encrypt-file, decrypt-file and keygen
// (unless their output is "-", standard output) write a file and print nothing on success; the
// others print their result and a line feed. The parser takes the names from here; so does
// anything else that needs to know the commands (the command-line fuzz harness).
struct CommandName {
  CommandId id;
  std::string_view name;
  bool writesFiles;
};

inline constexpr std::array<CommandName, 11> kCommandNames = {{
    {CommandId::kEncrypt, "encrypt", false},
    {CommandId::kDecrypt, "decrypt", false},
    {CommandId::kEncryptFile, "encrypt-file", true},
    {CommandId::kDecryptFile, "decrypt-file", true},
    {CommandId::kKeygen, "keygen", true},
    {CommandId::kHostIp, "host-ip", false},
    {CommandId::kMac, "mac", false},
    {CommandId::kCpu, "cpu", false},
    {CommandId::kUtf8, "utf8", false},
    {CommandId::kAnsi, "ansi", false},
    {CommandId::kIdentity, "identity", false},
}};

// The entry of the command with this name, or nullptr.
constexpr const CommandName* FindCommand(std::string_view name) {
  for (const CommandName& command : kCommandNames) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

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
