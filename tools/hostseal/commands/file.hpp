// The file commands: encrypt-file and decrypt-file under the chosen key, with a progress bar
// on standard error for large files when it is a terminal, and pipes on either end.
#pragma once

#include <string>

#include "hostseal/operations/key_choice.hpp"
#include "tools/hostseal/streams/command_message_sink.hpp"

namespace hostseal::cli {

// File names are taken byte for byte, so names that are not UTF-8 work too. "-" names standard
// input or output, read and written as a stream; cipher bytes are refused on a terminal.
int RunEncryptFile(const std::string& plainFile, const std::string& cipherFile,
                   const KeyChoice& key, CommandMessageSink& sink);
int RunDecryptFile(const std::string& cipherFile, const std::string& plainFile,
                   const KeyChoice& key, CommandMessageSink& sink);

// decrypt-file --check: decrypts all of cipherFile ("-": standard input) and keeps nothing.
// Exit status 0 and "the key fits" on standard output when the length field and its padding
// are right; 1 and the cipher's message (wrong key, or a size that is no whole blocks) if not.
int RunCheckKey(const std::string& cipherFile, const KeyChoice& key, CommandMessageSink& sink);

}  // namespace hostseal::cli
