// The text commands: encrypt, decrypt, utf8 and ansi. Each takes its text from the command
// line or, without it, from standard input, and returns the tool's exit status.
#pragma once

#include <optional>
#include <string>

#include "tools/hostseal/streams/command_message_sink.hpp"

namespace hostseal::cli {

int RunEncrypt(const std::optional<std::string>& text, CommandMessageSink& sink);
int RunDecrypt(const std::optional<std::string>& hex, CommandMessageSink& sink);
int RunUtf8(const std::optional<std::string>& text);
int RunAnsi(const std::optional<std::string>& text);

}  // namespace hostseal::cli
