// RunTool: runs a built program in the current folder with arguments, standard input and
// environment variables, and collects its exit status and both outputs (pipes). On Linux
// through the process runner of tests/tools; on Windows through CreateProcessW, so that the
// same test runs natively and under Wine.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace hostseal::testing {

struct ToolRun {
  std::vector<std::string> arguments;  // after the program, UTF-8
  std::string input;                   // all of standard input
  // NAME, VALUE. On Linux these and PATH are the whole environment; Windows keeps what the
  // system needs (SystemRoot, TEMP, ...) and drops HOSTSEAL_*, NO_COLOR and TERM before these
  // are added.
  std::vector<std::pair<std::string, std::string>> environment;
};

struct ToolResult {
  int status = -1;
  std::string out, err;
};

// program is a path as CMake gives it; under Wine a path that begins with "/" is on drive Z:.
ToolResult RunTool(const std::string& program, const ToolRun& run);
// The same with standard input opened from the file inputFile (UTF-8), not a pipe of run.input.
ToolResult RunTool(const std::string& program, const ToolRun& run, const std::string& inputFile);

}  // namespace hostseal::testing
