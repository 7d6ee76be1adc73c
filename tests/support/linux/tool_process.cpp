#include "tests/support/tool_process.hpp"

#include "tests/support/process_runner.hpp"

namespace hostseal::testing {

ToolResult RunTool(const std::string& program, const ToolRun& run) {
  return RunTool(program, run, {});
}

ToolResult RunTool(const std::string& program, const ToolRun& run, const std::string& inputFile) {
  ProcessRun process;
  process.argv.push_back(program);
  process.argv.insert(process.argv.end(), run.arguments.begin(), run.arguments.end());
  process.env.push_back("PATH=/usr/sbin:/usr/bin:/sbin:/bin");
  for (const auto& [name, value] : run.environment) process.env.push_back(name + "=" + value);
  process.input = run.input;
  RunControl control;
  control.inputFile = inputFile;
  const ProcessResult result = RunProcess(process, control);
  return {result.status, result.out, result.err};
}

}  // namespace hostseal::testing
