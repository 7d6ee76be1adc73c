#include "tools/hostseal/run_command_line.hpp"

#include <algorithm>
#include <clocale>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include <CLI/CLI.hpp>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/visible_text.hpp"
#include "tools/hostseal/command_line.hpp"
#include "tools/hostseal/commands/file.hpp"
#include "tools/hostseal/commands/host.hpp"
#include "tools/hostseal/commands/keygen.hpp"
#include "tools/hostseal/commands/text.hpp"
#include "tools/hostseal/core_dump_guard.hpp"
#include "tools/hostseal/environment_settings.hpp"
#include "tools/hostseal/exit_status.hpp"
#include "tools/hostseal/secrets/key_options.hpp"
#include "tools/hostseal/secrets/key_sources.hpp"
#include "tools/hostseal/secrets/secret_arguments.hpp"
#include "tools/hostseal/shown_command_line.hpp"
#include "tools/hostseal/streams/command_message_sink.hpp"
#include "tools/hostseal/streams/standard_streams.hpp"

namespace hostseal::cli {
namespace {

constexpr char kHelpHint[] = "run 'hostseal --help' for the commands and options";

int RunParsedCommand(const CommandLine& line, const SecretArguments& secrets,
                     const SecretVariables& variables, CommandMessageSink& sink) {
  switch (line.Parsed()) {
    case CommandId::kEncrypt:
      return RunEncrypt(line.text, sink);
    case CommandId::kDecrypt:
      return RunDecrypt(line.text, sink);
    case CommandId::kEncryptFile:
      return RunEncryptFile(
          line.inputFile, line.outputFile,
          ChooseKey(line.key, secrets, variables, true, line.inputFile, line.outputFile), sink);
    case CommandId::kDecryptFile:
      if (line.check) {
        if (!line.outputFile.empty()) throw UsageError("--check writes no file: give IN only");
        return RunCheckKey(line.inputFile,
                           ChooseKey(line.key, secrets, variables, false, line.inputFile, {}),
                           sink);
      }
      if (line.outputFile.empty()) {
        throw UsageError("OUT is required (or --check, to test the key)");
      }
      return RunDecryptFile(
          line.inputFile, line.outputFile,
          ChooseKey(line.key, secrets, variables, false, line.inputFile, line.outputFile), sink);
    case CommandId::kKeygen:
      return RunKeygen(line.keyBits, line.outputFile);
    case CommandId::kHostIp:
      return RunHostIp(line.name);
    case CommandId::kMac:
      return RunMac(line.name);
    case CommandId::kCpu:
      return RunCpu();
    case CommandId::kUtf8:
      return RunUtf8(line.text);
    case CommandId::kAnsi:
      return RunAnsi(line.text);
    case CommandId::kIdentity:
      return RunIdentity(sink, line.json);
  }
  return kExitUsage;
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
  const std::string& name = command.get_name();
  if (words && (name == "encrypt" || name == "decrypt" || name == "utf8" || name == "ansi")) {
    text += "; quote a text that holds spaces: hostseal " + name + " 'one two three'";
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
    const int status = RunParsedCommand(line, secrets, variables, sink);
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
