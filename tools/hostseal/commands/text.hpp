// The text commands: encrypt, decrypt, utf8 and ansi. Each takes its text from the command
// line or, without it, from standard input, and returns the tool's exit status.
#pragma once

#include "tools/hostseal/command_table.hpp"

namespace hostseal::cli {

extern const Command kEncryptCommand;
extern const Command kDecryptCommand;
extern const Command kUtf8Command;
extern const Command kAnsiCommand;

}  // namespace hostseal::cli
