// The file commands: encrypt-file and decrypt-file under the chosen key, with a progress bar
// on standard error for large files when it is a terminal.
#pragma once

#include <string>

#include "hostseal/ui/key_choice.hpp"
#include "tools/hostseal/command_message_sink.hpp"

namespace hostseal::cli {

// File names are taken byte for byte, so names that are not UTF-8 work too.
int RunEncryptFile(const std::string& plainFile, const std::string& cipherFile,
                   const KeyChoice& key, CommandMessageSink& sink);
int RunDecryptFile(const std::string& cipherFile, const std::string& plainFile,
                   const KeyChoice& key, CommandMessageSink& sink);

}  // namespace hostseal::cli
