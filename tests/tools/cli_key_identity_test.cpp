// A key or pass-phrase file that is the command's own input or output is told by what the
// file is, not by its name: the same test runs on Linux, natively on Windows and under Wine.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/file_bytes.hpp"
#include "tests/support/scratch_folder.hpp"
#include "tests/support/tool_process.hpp"

namespace hostseal::testing {
namespace {

TEST(CliKeyIdentity, AKeyFileThatIsTheInputIsRefusedBeforeEitherIsRead) {
  const ScratchFolder folder;
  const auto name = [&](const char* leaf) {
    const std::u8string text = (folder / leaf).u8string();
    return std::string(text.begin(), text.end());
  };
  const std::string key = name("k"), link = name("hard"), other = name("other"), out = name("out");
  WriteFile(key, "000102030405060708090a0b0c0d0e0f\nthe rest of the file\n");
  WriteFile(other, "other data\n");
  std::filesystem::permissions(
      key, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  std::filesystem::create_hard_link(key, link);
  const std::string hint = "\nhostseal: run 'hostseal --help' for the commands and options\n";
  const std::string isIn = "\": it is the file IN; give the key another way" + hint;
  const std::string onInput =
      "\": standard input already holds the file IN; give the key another way" + hint;
  struct Case {
    std::vector<std::string> arguments;
    std::string inputFile;  // standard input, else an empty pipe
    int status;
    std::string err;
  };
  for (const Case& c : std::vector<Case>{
           {{"encrypt-file", key, out, "--key-file", key},
            "",
            2,
            "hostseal: --key-file \"" + key + isIn},
           {{"encrypt-file", link, out, "--key-file", key},
            "",
            2,
            "hostseal: --key-file \"" + key + isIn},
           {{"decrypt-file", key, out, "--passphrase-file", link},
            "",
            2,
            "hostseal: --passphrase-file \"" + link + isIn},
           {{"encrypt-file", "-", out, "--key-file", key},
            key,
            2,
            "hostseal: --key-file \"" + key + onInput},
           {{"encrypt-file", "-", out, "--passphrase-file", link},
            key,
            2,
            "hostseal: --passphrase-file \"" + link + onInput},
           {{"encrypt-file", key, out, "--key-file", "-"},
            key,
            2,
            "hostseal: --key-file -" + isIn.substr(1)},
           // Nor may it be OUT, which would replace the key.
           {{"decrypt-file", other, link, "--key-file", key},
            "",
            2,
            "hostseal: --key-file \"" + key +
                "\": it is the file OUT, which the command replaces; give the key another way" +
                hint},
           // Standard input that is not IN holds a key as ever.
           {{"encrypt-file", other, out, "--key-file", "-"}, key, 0, ""},
       }) {
    SCOPED_TRACE(c.arguments.front() + " " + c.arguments[1] + " " + c.arguments[4] + " < " +
                 c.inputFile);
    std::filesystem::remove(out);
    ToolRun run;
    run.arguments = c.arguments;
    run.environment = {{"NO_COLOR", "1"}, {"HOSTSEAL_CODEPAGE", "65001"}};
    const ToolResult r = RunTool(HOSTSEAL_CLI_PATH, run, c.inputFile);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(std::filesystem::exists(out), c.status == 0);
  }
  EXPECT_EQ(ReadFile(key), "000102030405060708090a0b0c0d0e0f\nthe rest of the file\n");
}

}  // namespace
}  // namespace hostseal::testing
