// The built tool against the Linux tool's recorded outputs (tests/data/cli_outputs.txt, made
// by make_cli_vectors.py): exit status, standard output and error, and the output file, byte
// for byte. Runs natively and, for the Windows builds, under Wine, where it shows that the
// UTF-8 arguments, binary streams and messages match Linux's exactly.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "tests/support/file_bytes.hpp"
#include "tests/support/known_answer_file.hpp"
#include "tests/support/tool_process.hpp"

namespace hostseal::testing {
namespace {

std::string Bytes(const KnownAnswerLine& line, std::size_t field) {
  const std::vector<Byte> bytes = line.Hex(field);
  return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> Arguments(const std::string& joined) {
  std::vector<std::string> arguments;
  if (joined.empty()) return arguments;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = joined.find('\0', start);
    arguments.push_back(joined.substr(start, end - start));
    if (end == std::string::npos) return arguments;
    start = end + 1;
  }
}

// Standard error without the system's reason at the end of each line: " (...)" before "\n".
std::string WithoutReasons(const std::string& text) {
  std::string out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == ')') {
      const std::size_t open = line.rfind(" (");
      if (open != std::string::npos) line.erase(open);
    }
    out += line + (end < text.size() ? "\n" : "");
    start = end + 1;
  }
  return out;
}

// An empty folder of the test's own, the current folder while it lives.
class CaseFolder {
 public:
  explicit CaseFolder(const std::string& name)
      : m_Before(std::filesystem::current_path()),
        m_Path(std::filesystem::temp_directory_path() /
               ("hostseal-cli-vector-" +
                std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" + name)) {
    std::filesystem::remove_all(m_Path);
    std::filesystem::create_directories(m_Path);
    std::filesystem::current_path(m_Path);
  }
  ~CaseFolder() {
    std::error_code ignored;
    std::filesystem::current_path(m_Before, ignored);
    std::filesystem::remove_all(m_Path, ignored);
  }
  CaseFolder(const CaseFolder&) = delete;
  CaseFolder& operator=(const CaseFolder&) = delete;

 private:
  std::filesystem::path m_Before;
  std::filesystem::path m_Path;
};

TEST(CliVectors, TheToolPrintsWhatTheLinuxToolPrinted) {
  const std::vector<KnownAnswerLine> cases = ReadKnownAnswers("cli_outputs.txt", 9);
  EXPECT_GE(cases.size(), 30u);
  for (const KnownAnswerLine& line : cases) {
    const std::string& name = line.fields.at(0);
    SCOPED_TRACE(line.where + " " + name);
    line.Require(9);
    const CaseFolder folder(name);
    if (line.fields[5] != "absent") {
      std::ofstream("in.bin", std::ios::binary) << Bytes(line, 5);
    }
    ToolRun run;
    run.arguments = Arguments(Bytes(line, 3));
    run.input = Bytes(line, 4);
    run.environment = {{"LC_ALL", "C.UTF-8"},
                       {"NO_COLOR", "1"},
                       {"HOSTSEAL_CODEPAGE", "65001"},
                       {"HOSTSEAL_CPU", "portable"}};
    const ToolResult result = RunTool(HOSTSEAL_CLI_PATH, run);

    EXPECT_EQ(result.status, line.Int(1));
    EXPECT_EQ(result.out, Bytes(line, 6));
    if (line.fields[2] == "reason") {
      EXPECT_EQ(WithoutReasons(result.err), WithoutReasons(Bytes(line, 7)));
    } else {
      EXPECT_EQ(result.err, Bytes(line, 7));
    }
    if (line.fields[8] == "absent") {
      EXPECT_FALSE(std::filesystem::exists("out.bin"));
    } else {
      EXPECT_EQ(ReadFile("out.bin"), Bytes(line, 8));
    }
  }
}

}  // namespace
}  // namespace hostseal::testing
