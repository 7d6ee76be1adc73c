// keygen and decrypt-file --check of the built tool, and one table of the tool's messages for
// missing folders, pseudo files, surplus arguments and a bad HOSTSEAL_CPU.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/support/folder_test.hpp"
#include "tests/tools/cli_test_support.hpp"

namespace hostseal::testing {
namespace {

namespace fs = std::filesystem;

class CliKeygen : public FolderTest {
 protected:
  std::set<std::string> Listing() const { return m_Dir.Names(); }
};

// Each length makes a new file of mode 0600 with its hex digits and a line feed, different
// every time, that --key-file takes without a warning and that encrypts as OpenSSL does; an
// existing file is never replaced.
TEST_F(CliKeygen, KeysAreNewPrivateFilesThatKeyFileReads) {
  WriteFile(Path("notes.txt"), "the notes");
  std::set<std::string> seen;
  for (const auto& [bits, args] : std::vector<std::pair<int, std::vector<std::string>>>{
           {128, {"keygen", Path("k128")}},
           {192, {"keygen", "--bits", "192", Path("k192")}},
           {256, {"keygen", "--bits", "256", Path("k256")}}}) {
    const std::string key = args.back();
    ExpectResult(Cli(args), 0, "", "");
    struct stat info {};
    ASSERT_EQ(::stat(key.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600U);
    const std::string text = ReadFile(key);
    ASSERT_EQ(text.size(), static_cast<std::size_t>(bits / 4 + 1)) << text;
    EXPECT_EQ(text.find_first_not_of("0123456789abcdef"), text.size() - 1) << text;
    EXPECT_TRUE(seen.insert(text).second);

    ExpectResult(Cli({"encrypt-file", "--key-file", key, Path("notes.txt"), Path("notes.aes")}), 0,
                 "", "");
    EXPECT_EQ(ReadFile(Path("notes.aes")),
              ExpectedCipherFile(Unhex(text.substr(0, text.size() - 1)), "the notes"));

    EXPECT_EQ(Cli({"keygen", key}).status, 3);  // its message: the recorded outputs
    EXPECT_EQ(ReadFile(key), text);
  }
  const ProcessResult out = Cli({"keygen", "--bits", "256", "-"});
  EXPECT_EQ(out.status, 0);
  EXPECT_EQ(out.out.size(), 65U);
  EXPECT_EQ(Cli({"keygen", "--bits", "100", Path("k")}).status, 2);
  EXPECT_FALSE(fs::exists(Path("k")));
}

// --check reads the whole cipher file, here from a pipe (from a file: the recorded outputs), and
// writes nothing: 0 under the key that made it, 1 and the wrong-key warning under another.
TEST_F(CliKeygen, CheckTellsWhetherTheKeyFits) {
  const std::string right = "000102030405060708090a0b0c0d0e0f";
  const std::string wrong = "0f0e0d0c0b0a09080706050403020100";
  const std::string plain = "a plain text of some length";
  const std::string cipher = ExpectedCipherFile(Unhex(right), plain);
  // The wrong key must be one the framing can tell: its last block is no valid length field.
  const std::string last = AesEcb(Unhex(wrong), cipher.substr(cipher.size() - 16), false);
  ASSERT_TRUE(static_cast<unsigned char>(last[15]) >= 16 ||
              last.substr(plain.size() % 16, 15 - plain.size() % 16) !=
                  std::string(15 - plain.size() % 16, '\0'));
  WriteFile(Path("notes.aes"), cipher);
  const std::set<std::string> before = Listing();
  ExpectResult(Cli({"decrypt-file", "--check", "--key", right, "-"}, cipher), 0, "the key fits\n",
               "");
  ExpectResult(Cli({"decrypt-file", "--check", "--key", wrong, "-"}, cipher), 1, "",
               "hostseal: warning - incorrect length field in decrypted file. Wrong key or "
               "keysize?\n");
  EXPECT_EQ(Listing(), before);
  EXPECT_EQ(Cli({"decrypt-file", "--check", Path("notes.aes"), Path("out")}).status, 2);
  EXPECT_EQ(Cli({"decrypt-file", Path("notes.aes")}).status, 2);
  EXPECT_EQ(Listing(), before);
}

// Every message case: the status and the exact standard error (a prefix where the system's
// reason or a path follows).
TEST_F(CliKeygen, MessagesSayWhatIsWrong) {
  WriteFile(Path("notes.txt"), "notes");
  const std::string cpuWarning =
      "hostseal: warning: HOSTSEAL_CPU \"bogus\" names no AES path (portable, aes-ni, vaes); "
      "the best path of this processor runs\n";
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> env;
    int status;
    std::string err;  // the beginning of standard error
  };
  const std::vector<std::string> plainEnv = {"NO_COLOR=1", "HOSTSEAL_CODEPAGE=65001"};
  const std::vector<std::string> badCpu = {"NO_COLOR=1", "HOSTSEAL_CODEPAGE=65001",
                                           "HOSTSEAL_CPU=bogus"};
  const std::vector<Case> cases = {
      {{"keygen", Path("nodir/k")},
       plainEnv,
       3,
       "hostseal: Path not found: \"" + Path("nodir") + "\" (No such file or directory)\n"},
      {{"encrypt-file", Path("notes.txt"), "/proc/version"},
       plainEnv,
       3,
       ::geteuid() == 0 ? "hostseal: Path/File access error: \"/proc/version\" (its folder takes "
                          "no new files"
                        : "hostseal: Permission denied: \"/proc/version\""},
      {{"host-ip", "a", "b"}, plainEnv, 2, "hostseal: surplus argument \"b\"\n"},
      {{"--version"}, badCpu, 0, cpuWarning},
      {{"utf8", "a"}, badCpu, 0, cpuWarning},
      {{"keygen", "-"}, badCpu, 0, cpuWarning},
      {{"decrypt-file", "--check", Path("notes.txt")}, badCpu, 1, cpuWarning},
  };
  for (const Case& c : cases) {
    const ProcessResult result = RunProcess(CliRun(c.args, "", c.env));
    EXPECT_EQ(result.status, c.status) << c.args[0] << ": " << result.err;
    EXPECT_EQ(result.err.substr(0, c.err.size()), c.err) << c.args[0];
  }
  EXPECT_FALSE(fs::exists(Path("nodir")));
}

}  // namespace
}  // namespace hostseal::testing
