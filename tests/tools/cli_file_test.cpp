// encrypt-file and decrypt-file of the built tool: names as bytes, the progress bar, pipes and
// standard output. The cipher files under every key are held to OpenSSL by tests/cipher and
// cli_key_test, the file errors by tests/fs and the recorded outputs (cli_vector_test).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/folder_test.hpp"
#include "tests/tools/cli_test_support.hpp"

namespace hostseal::testing {
namespace {

namespace fs = std::filesystem;

std::string Bytes(std::size_t n, unsigned seed) {
  std::string out(n, '\0');
  for (auto& c : out) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
  return out;
}

using CliFile = FolderTest;

// The file commands print nothing on standard output.
void ExpectResult(const ProcessResult& r, int status, const std::string& err) {
  testing::ExpectResult(r, status, "", err);
}

TEST_F(CliFile, NamesThatAreNotUtf8WorkByteForByte) {
  const std::string plain = Path("plain\xFF"), cipher = Path("cipher\xFE");
  WriteFile(plain, "bytes");
  ExpectResult(Cli({"encrypt-file", "--passphrase", "k", plain, cipher}), 0, "");
  EXPECT_EQ(ReadFile(cipher),
            ExpectedCipherFile(std::string("k") + std::string(15, '\0'), "bytes"));
}

TEST_F(CliFile, ProgressBarOnlyForLargeFilesOnATerminal) {
  for (const std::size_t size : {1000u, 9u << 20}) {
    WriteFile(Path("plain"), "");
    fs::resize_file(Path("plain"), size);
    for (const bool terminal : {false, true}) {
      ProcessRun run = CliRun({"encrypt-file", Path("plain"), Path("cipher")});
      if (terminal) run.err.kind = OutputTarget::Kind::kTerminal;
      const ProcessResult r = RunProcess(run);
      EXPECT_EQ(r.status, 0);
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(fs::file_size(Path("cipher")), size / 16 * 16 + 16);
      if (terminal && size > 1000) {
        EXPECT_EQ(r.err.rfind("\rencrypting [", 0), 0u) << r.err;
        EXPECT_NE(r.err.find("] 100%\r\n"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.substr(r.err.size() - 2), "\r\n");  // the bar ends its line
      } else {
        EXPECT_EQ(r.err, "");
      }
    }
  }
}

// "-" on either side gives exactly the bytes of the file commands, through pipes; cipher bytes
// never meet a terminal; a closed standard output is an error, not a silent loss.
using CliPipes = FolderTest;

TEST_F(CliPipes, GiveTheBytesOfTheFileCommands) {
  const std::string dir = m_Dir.Path().string();
  const std::vector<std::string> env = {"NO_COLOR=1", "HOSTSEAL_CODEPAGE=65001",
                                        "HOSTSEAL_KEY=000102030405060708090A0B0C0D0E0F"};
  auto run = [&](std::vector<std::string> args, std::string input = {}, OutputTarget out = {}) {
    ProcessRun process = CliRun(std::move(args), std::move(input), env);
    process.out = std::move(out);
    return RunProcess(process);
  };
  // Nothing, and many chunks (the framing at every size: rijndael_stream_test).
  for (const std::size_t n : {std::size_t{0}, std::size_t{5'000'003}}) {
    SCOPED_TRACE(n);
    const std::string plain = Bytes(n, static_cast<unsigned>(n) + 1);
    WriteFile(dir + "/plain", plain);
    ASSERT_EQ(run({"encrypt-file", dir + "/plain", dir + "/cipher"}).status, 0);
    const std::string cipher = ReadFile(dir + "/cipher");
    ProcessResult r = run({"encrypt-file", "-", "-"}, plain);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out == cipher);
    r = run({"decrypt-file", "-", "-"}, cipher);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out == plain);
    r = run({"decrypt-file", dir + "/cipher", "-"});
    EXPECT_TRUE(r.out == plain);
    ASSERT_EQ(run({"encrypt-file", "-", dir + "/piped"}, plain).status, 0);
    EXPECT_TRUE(ReadFile(dir + "/piped") == cipher);
  }

  ProcessResult r =
      run({"encrypt-file", dir + "/plain", "-"}, {}, {OutputTarget::Kind::kTerminal, {}});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("refusing to write cipher bytes to a terminal"), std::string::npos);

  ProcessRun closed;
  closed.argv = {"/bin/bash", "-c",
                 "'" + kCli + "' decrypt-file '" + dir +
                     "/cipher' - | head -c 1 >/dev/null; "
                     "exit ${PIPESTATUS[0]}"};
  closed.env = CliRun({}, {}, env).env;
  r = RunProcess(closed);
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err, "hostseal: Path/File access error: \"standard output\" (Broken pipe)\n");
}

// Past the file-size limit (ulimit -f) a write to standard output fails with "File too large":
// a message and exit status 3 (for a file, every writer meets it in file_sharing_root_test).
TEST_F(CliFile, TheFileSizeLimitIsAnErrorForStandardOutput) {
  const std::string big(100'000, 'x');
  WriteFile(Path("big"), big);
  WriteFile(Path("big.aes"), Cli({"encrypt-file", "-", "-"}, big).out);
  const std::vector<std::vector<std::string>> commands = {{"encrypt-file", Path("big"), "-"},
                                                          {"decrypt-file", Path("big.aes"), "-"},
                                                          {"utf8", big},
                                                          {"encrypt", big}};
  WriteFile(Path("out"), "");  // standard output: a file that is there
  for (const auto& command : commands) {
    SCOPED_TRACE(command[0]);
    ProcessRun run = CliRun({});
    run.argv = {"/bin/bash", "-c", "ulimit -f 8 && exec \"$@\"", "bash", kCli};
    run.argv.insert(run.argv.end(), command.begin(), command.end());
    run.out = {OutputTarget::Kind::kFile, Path("out")};
    const ProcessResult r = RunProcess(run);
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("Disk full: \"standard output\" (File too large)"), std::string::npos)
        << r.err;
  }
}

}  // namespace
}  // namespace hostseal::testing
