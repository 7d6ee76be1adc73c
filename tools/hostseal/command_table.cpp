#include "tools/hostseal/command_table.hpp"

#include <array>

#include "tools/hostseal/commands/file.hpp"
#include "tools/hostseal/commands/host.hpp"
#include "tools/hostseal/commands/keygen.hpp"
#include "tools/hostseal/commands/text.hpp"

namespace hostseal::cli {

namespace {

const std::array<const Command*, 11> kCommands = {
    &kEncryptCommand, &kDecryptCommand, &kEncryptFileCommand, &kDecryptFileCommand,
    &kKeygenCommand,  &kHostIpCommand,  &kMacCommand,         &kCpuCommand,
    &kUtf8Command,    &kAnsiCommand,    &kIdentityCommand,
};

}  // namespace

const std::string_view kToolExamples =
    "  hostseal encrypt 'hello world'\n"
    "  hostseal --codepage 936 ansi 中文\n"
    "  hostseal keygen notes.key\n"
    "  hostseal encrypt-file --key-file notes.key notes.txt notes.aes\n"
    "  hostseal encrypt-file --ask-passphrase --bits 256 notes.txt notes.aes";

std::span<const Command* const> Commands() {
  return kCommands;
}

const Command* FindCommand(std::string_view name) {
  for (const Command* command : kCommands) {
    if (command->name == name) return command;
  }
  return nullptr;
}

}  // namespace hostseal::cli
