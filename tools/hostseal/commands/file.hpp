// The file commands: encrypt-file and decrypt-file under the chosen key, with a progress bar
// on standard error for large files when it is a terminal, and pipes on either end.
//
// File names are taken byte for byte, so names that are not UTF-8 work too. "-" names standard
// input or output, read and written as a stream; cipher bytes are refused on a terminal.
//
// decrypt-file --check decrypts all of IN ("-": standard input) and keeps nothing: exit status 0
// and "the key fits" on standard output when the length field and its padding are right; 1 and
// the cipher's message (wrong key, or a size that is no whole blocks) if not.
#pragma once

#include "tools/hostseal/command_table.hpp"

namespace hostseal::cli {

extern const Command kEncryptFileCommand;
extern const Command kDecryptFileCommand;

}  // namespace hostseal::cli
