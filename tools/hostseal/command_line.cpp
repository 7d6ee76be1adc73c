#include "tools/hostseal/command_line.hpp"

#include <algorithm>
#include <clocale>
#include <exception>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <CLI/CLI.hpp>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/visible_text.hpp"
#include "hostseal/text/code_page_table.hpp"
#include "tools/hostseal/command_table.hpp"
#include "tools/hostseal/exit_status.hpp"
#include "tools/hostseal/process/core_dump_guard.hpp"
#include "tools/hostseal/process/environment_settings.hpp"
#include "tools/hostseal/process/shown_command_line.hpp"
#include "tools/hostseal/secrets/key_sources.hpp"
#include "tools/hostseal/secrets/secret_arguments.hpp"
#include "tools/hostseal/streams/command_message_sink.hpp"
#include "tools/hostseal/streams/standard_streams.hpp"

namespace hostseal::cli {

namespace {

constexpr char kToolFooter[] =
    "Text on the command line, standard input and standard output is UTF-8.\n"
    "Exit status: 0 success, 1 the operation reported a failure, 2 usage error,\n"
    "3 error (its description on standard error).\n"
    "\n"
    "Keys and pass phrases: every user of the machine can read the command line, so give\n"
    "them with --key-file, --passphrase-file, --ask-passphrase or the environment variables\n"
    "HOSTSEAL_KEY and HOSTSEAL_PASSPHRASE rather than --key and --passphrase.\n"
    "Environment: HOSTSEAL_CODEPAGE (as --codepage), HOSTSEAL_CPU (the AES path: portable,\n"
    "aes-ni or vaes; by default the best this processor has).\n"
    "\n"
    "Examples:\n";

constexpr char kHelpHint[] = "run 'hostseal --help' for the commands and options";

// A code page as the option takes it: decimal digits, nothing else.
bool ParseCodePage(const CLI::results_t& values, std::optional<int>& codePage) {
  const std::string& text = values.front();
  if (text.empty()) {
    throw CLI::ValidationError("--codepage",
                               "the value is empty; give a code-page number such as 936, 1252 "
                               "or 65001");
  }
  if (text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) {
    throw CLI::ValidationError("--codepage", "\"" + VisibleText(text) +
                                                 "\" is not a code-page number; give decimal "
                                                 "digits such as 936, 1252 or 65001");
  }
  codePage = std::stoi(text);
  return true;
}

// The parsed command's run, and the global options.
struct CommandLine {
  std::optional<int> codePage;  // --codepage or HOSTSEAL_CODEPAGE
  std::vector<std::pair<const CLI::App*, CommandRun>> commands;

  // What runs the command that was parsed.
  const CommandRun& Parsed() const {
    for (const auto& [command, run] : commands) {
      if (command->parsed()) return run;
    }
    throw std::logic_error("no command was parsed");
  }
};

// Defines the global options and the commands of the table on app, storing into line.
void DefineCommandLine(CLI::App& app, CommandLine& line) {
  app.description("AES encryption of text and files, host identity queries and text bytes.");
  app.footer(kToolFooter + std::string(kToolExamples));
  // CLI11 takes "/word" for an option on Windows; here it is an operand on every system, so
  // that a text such as "/abc" and a path such as "/tmp/x" read as they do on Linux. The
  // subcommands copy this setting when they are added below.
  app.allow_windows_style_options(false);
  app.require_subcommand(1);
  app.fallthrough();
  app.set_version_flag("--version",
                       std::string("hostseal ") + HOSTSEAL_VERSION +
                           " (AES: " + std::string(cRijndael::Provider()) + ")",
                       "Show the version and exit");
  // HOSTSEAL_CODEPAGE is read after parsing, so that its errors name the variable.
  app.add_option(
         "--codepage",
         [&line](const CLI::results_t& values) { return ParseCodePage(values, line.codePage); },
         "The ANSI code page as decimal digits: " + KnownCodePages() +
             " (on Windows every code page the system has); default: "
             "HOSTSEAL_CODEPAGE, else the system's code page (on Linux the locale's character "
             "set)")
      ->type_name("N")
      ->type_size(1)
      ->expected(1);

  for (const Command* command : Commands()) {
    CLI::App* subcommand =
        app.add_subcommand(std::string(command->name), std::string(command->description));
    subcommand->footer("Example:\n  " + std::string(command->example));
    line.commands.emplace_back(subcommand, command->define(*subcommand));
  }
}

// Arguments beyond what the command takes, in the order given; the text commands take one
// text, so words meant as one text need quotes.
void ReportSurplusArguments(const CLI::App& app, const CLI::App& command) {
  const std::vector<std::string> surplus = app.remaining(true);
  std::string list;
  for (const std::string& argument : surplus) {
    list += (list.empty() ? "\"" : " \"") + VisibleText(argument) + '"';
  }
  // Words are surplus arguments; anything that looks like an option is unexpected.
  const bool words = std::none_of(surplus.begin(), surplus.end(), [](const std::string& argument) {
    return argument.rfind('-', 0) == 0;
  });
  std::string text = std::string(words ? "surplus" : "unexpected") + " argument" +
                     (surplus.size() > 1 ? "s " : " ") + list;
  const Command* named = FindCommand(command.get_name());
  if (words && named != nullptr && named->readsText) {
    text += "; quote a text that holds spaces: hostseal " + command.get_name() + " 'one two three'";
  }
  WriteDiagnostic(text);
}

int ReportParseError(const CLI::App& app, const CLI::ParseError& error) {
  if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
    // --help or --version: CLI11 prints them on standard output.
    CheckCpuSetting(false);
    app.exit(error);
    try {
      FlushStandardOutput();
    } catch (const RaisedError& e) {
      WriteDiagnostic(e.Description());
      return kExitRaised;
    }
    return kExitSuccess;
  }
  // Parse errors repeat arguments; keys and pass phrases never reach the parser ("(hidden)"
  // stands in their place), and control characters are shown as their codes.
  const std::vector<std::string> unknown = app.remaining();
  if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr && !app.get_subcommands().empty()) {
    ReportSurplusArguments(app, *app.get_subcommands().front());
    WriteDiagnostic(kHelpHint);
    return kExitUsage;
  }
  if (app.get_subcommands().empty() && !unknown.empty()) {
    const bool option = unknown.front().rfind('-', 0) == 0;
    WriteDiagnostic((option ? "unknown option \"" : "unknown command \"") +
                    VisibleText(unknown.front()) + "\"");
  } else if (app.get_subcommands().empty() &&
             dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) {
    WriteDiagnostic("a command is required");
  } else {
    // The parser's own texts, in the tool's style: lower case after "hostseal: ".
    std::string text = VisibleText(std::string_view(error.what()));
    if (text.size() > 1 && text[0] >= 'A' && text[0] <= 'Z' && text[1] >= 'a' && text[1] <= 'z') {
      text[0] = static_cast<char>(text[0] - 'A' + 'a');
    }
    WriteDiagnostic(text);
  }
  WriteDiagnostic(kHelpHint);
  return kExitUsage;
}

}  // namespace

int RunCommandLine(int argc, char** argv) {
  // First, before any key is read: no core dump, no other process looking in.
  const CoreDumpGuard coreDumps;
  // The secret variables leave the environment before anything else happens, whatever the
  // command line asks for.
  const SecretVariables variables = TakeSecretVariables();
  const ConsoleSession console;
  const StandardOutputWatch outputWatch;
  // The code page follows the system's (the locale's character set on Linux, GetACP on Windows)
  // unless --codepage says otherwise.
  std::setlocale(LC_CTYPE, "");
  CommandMessageSink sink;
  const DefaultMessageSinkScope sinkScope(sink);  // while main runs

  const SecretArguments secrets(argc, argv);
  if (secrets.TookAny()) HideWipedArguments(argc, argv);
  CLI::App app("", "hostseal");
  CommandLine line;
  DefineCommandLine(app, line);
  try {
    const std::vector<std::string>& arguments = secrets.ParserArguments();
    app.parse(std::vector<std::string>(arguments.rbegin(), arguments.rend()));
  } catch (const CLI::ParseError& error) {
    return ReportParseError(app, error);
  }

  try {
    CheckCpuSetting();
    ApplyCodePageSetting(line.codePage);
    const int status = line.Parsed()(CommandContext{secrets, variables, sink});
    FlushStandardOutput();
    return status;
  } catch (const UsageError& error) {
    WriteDiagnostic(error.what());
    if (error.WithHelpHint()) WriteDiagnostic(kHelpHint);
    return kExitUsage;
  } catch (const RaisedError& error) {
    WriteDiagnostic(error.Description());
    return kExitRaised;
  } catch (const std::exception& error) {
    WriteDiagnostic(error.what());
    return kExitRaised;
  }
}

}  // namespace hostseal::cli
