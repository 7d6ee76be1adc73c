#include "tools/hostseal/run_command_line.hpp"

#include <clocale>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/text/code_page.hpp"
#include "tools/hostseal/command_line.hpp"
#include "tools/hostseal/command_message_sink.hpp"
#include "tools/hostseal/exit_status.hpp"
#include "tools/hostseal/file_commands.hpp"
#include "tools/hostseal/host_commands.hpp"
#include "tools/hostseal/standard_streams.hpp"
#include "tools/hostseal/text_commands.hpp"

namespace hostseal::cli {
namespace {

int RunParsedCommand(const CommandLine& line, CommandMessageSink& sink) {
  switch (line.Parsed()) {
    case CommandId::kEncrypt:
      return RunEncrypt(line.text, sink);
    case CommandId::kDecrypt:
      return RunDecrypt(line.text, sink);
    case CommandId::kEncryptFile:
      return RunEncryptFile(line.inputFile, line.outputFile, ToKeyChoice(line.key), sink);
    case CommandId::kDecryptFile:
      return RunDecryptFile(line.inputFile, line.outputFile, ToKeyChoice(line.key), sink);
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
      return RunIdentity(sink);
  }
  return kExitUsage;
}

int ReportParseError(const CLI::App& app, const CLI::ParseError& error) {
  if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
    // --help or --version: CLI11 prints them on standard output.
    app.exit(error);
    try {
      FlushStandardOutput();
    } catch (const RaisedError& e) {
      WriteDiagnostic(e.Description());
      return kExitRaised;
    }
    return kExitSuccess;
  }
  const std::vector<std::string> unknown = app.remaining();
  if (app.get_subcommands().empty() && !unknown.empty()) {
    const bool option = unknown.front().rfind('-', 0) == 0;
    WriteDiagnostic((option ? "unknown option \"" : "unknown command \"") + unknown.front() + "\"");
  } else {
    WriteDiagnostic(error.what());
  }
  WriteDiagnostic("run 'hostseal --help' for the commands and options");
  return kExitUsage;
}

// Keeps the tool's sink as the process default while main runs.
class DefaultSinkScope {
 public:
  explicit DefaultSinkScope(MessageSink& sink) { SetDefaultMessageSink(&sink); }
  ~DefaultSinkScope() { SetDefaultMessageSink(nullptr); }
  DefaultSinkScope(const DefaultSinkScope&) = delete;
  DefaultSinkScope& operator=(const DefaultSinkScope&) = delete;
};

}  // namespace

int RunCommandLine(int argc, char** argv) {
  // The code page follows the locale's character set unless --codepage says otherwise.
  std::setlocale(LC_CTYPE, "");
  CommandMessageSink sink;
  const DefaultSinkScope sinkScope(sink);

  CLI::App app("", "hostseal");
  CommandLine line;
  DefineCommandLine(app, line);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return ReportParseError(app, error);
  }

  try {
    if (line.codePage) SetAnsiCodePage(*line.codePage);
    const int status = RunParsedCommand(line, sink);
    FlushStandardOutput();
    return status;
  } catch (const RaisedError& error) {
    WriteDiagnostic(error.Description());
    return kExitRaised;
  } catch (const std::exception& error) {
    WriteDiagnostic(error.what());
    return kExitRaised;
  }
}

}  // namespace hostseal::cli
