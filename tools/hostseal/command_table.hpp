// The tool's commands, one entry each: the name, the help texts, whether the command writes
// files or reads a text, and the function that adds its arguments and options to its
// subcommand. The parser builds the command line from this table and runs the command that was
// parsed; so does anything else that needs to know the commands (the command-line fuzz
// harness). A command is its own file pair in commands/ and one line of command_table.cpp.
#pragma once

#include <functional>
#include <span>
#include <string_view>

#include <CLI/CLI.hpp>

#include "tools/hostseal/secrets/key_sources.hpp"
#include "tools/hostseal/secrets/secret_arguments.hpp"
#include "tools/hostseal/streams/command_message_sink.hpp"

namespace hostseal::cli {

// What a command runs with besides its own arguments: the keys and pass phrases taken from the
// command line and the environment at the start, and the tool's message sink.
struct CommandContext {
  const SecretArguments& secrets;
  const SecretVariables& variables;
  CommandMessageSink& sink;
};

// Runs the command with the arguments that were parsed into it; returns the exit status
// (tools/hostseal/exit_status.hpp).
using CommandRun = std::function<int(const CommandContext&)>;

struct Command {
  std::string_view name;
  std::string_view description;  // the line of the tool's help and the command's own
  std::string_view example;      // the command's help footer, after "Example:"
  // A command that writes files (unless its output is "-", standard output) prints nothing on
  // success; the others print their result and a line feed.
  bool writesFiles;
  // A command that takes one text: surplus words are told to be quoted as one.
  bool readsText;
  // Adds the command's arguments and options to its subcommand, bound to an options struct of
  // the command's own, and returns what runs the command with them.
  CommandRun (*define)(CLI::App& command);
};

// The commands, in the order of the help.
std::span<const Command* const> Commands();

// The command with this name, or nullptr.
const Command* FindCommand(std::string_view name);

// The examples at the end of the tool's help, one line each, which show several commands.
extern const std::string_view kToolExamples;

}  // namespace hostseal::cli
