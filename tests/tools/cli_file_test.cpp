// encrypt-file and decrypt-file of the built tool: cipher files against OpenSSL's ECB over the
// framing built here, failures with their exact messages and exit statuses, the progress bar.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "hostseal/cipher/pass_phrase.hpp"
#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/operations/key_choice.hpp"
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

class CliFile : public FolderTest {
 protected:
  // The description that the library raises for these arguments, called directly.
  template <typename Call>
  static std::string RaisedDescription(Call call) {
    try {
      call();
    } catch (const RaisedError& e) {
      return e.Description();
    }
    ADD_FAILURE() << "nothing was raised";
    return {};
  }
};

// The file commands print nothing on standard output.
void ExpectResult(const ProcessResult& r, int status, const std::string& err) {
  testing::ExpectResult(r, status, "", err);
}

TEST_F(CliFile, CipherFilesMatchOpenSslAndDecryptBack) {
  std::string builtIn = ToUtf8(kBuiltInPassPhrase);
  builtIn.resize(16, '\0');
  const std::string key16 = Bytes(16, 6), key24 = Bytes(24, 7), key32 = Bytes(32, 8);
  const std::string phrase40 = "a pass phrase of forty characters, long.";
  struct Case {
    std::vector<std::string> options;
    std::string key;
  };
  const std::vector<Case> all = {
      {{}, builtIn},
      {{"--key", Hex(key16)}, key16},
      {{"--key", Hex(key24, "", 1, true)}, key24},
      {{"--key", Hex(key32)}, key32},
      {{"--passphrase", "short"}, "short" + std::string(11, '\0')},
      {{"--passphrase", phrase40, "--bits", "256"}, phrase40.substr(0, 32)},
      {{"--passphrase", "中", "--bits", "192"}, "中" + std::string(21, '\0')},
  };
  for (const Case& c : all) {
    for (const std::size_t size : {0u, 16u, 17u, 1000u}) {
      SCOPED_TRACE(::testing::PrintToString(c.options) + " size " + std::to_string(size));
      const std::string data = Bytes(size, static_cast<unsigned>(size));
      WriteFile(Path("plain"), data);
      std::vector<std::string> args = {"encrypt-file", Path("plain"), Path("cipher")};
      args.insert(args.end(), c.options.begin(), c.options.end());
      // A pass phrase longer than the key is noted, and works.
      const std::string note =
          c.options.size() > 1 && c.options[1] == phrase40
              ? "hostseal: note: only the first 32 bytes of the pass phrase are used\n"
              : "";
      ExpectResult(Cli(args), 0, note);
      EXPECT_EQ(ReadFile(Path("cipher")), ExpectedCipherFile(c.key, data));
      args[0] = "decrypt-file";
      args[1] = Path("cipher");
      args[2] = Path("back");
      ExpectResult(Cli(args), 0, note);
      EXPECT_EQ(ReadFile(Path("back")), data);
    }
  }
}

TEST_F(CliFile, NamesThatAreNotUtf8WorkByteForByte) {
  const std::string plain = Path("plain\xFF"), cipher = Path("cipher\xFE");
  WriteFile(plain, "bytes");
  ExpectResult(Cli({"encrypt-file", "--passphrase", "k", plain, cipher}), 0, "");
  EXPECT_EQ(ReadFile(cipher),
            ExpectedCipherFile(std::string("k") + std::string(15, '\0'), "bytes"));
}

TEST_F(CliFile, DecryptFileRefusesSizesThatAreNotWholeBlocks) {
  for (const std::size_t size : {0u, 20u}) {
    WriteFile(Path("cipher"), Bytes(size, 1));
    WriteFile(Path("plain"), "keep");
    ExpectResult(Cli({"decrypt-file", Path("cipher"), Path("plain")}), 1,
                 "hostseal: File Size Error - ciphertext file not a multiple of block size\n");
    EXPECT_EQ(ReadFile(Path("plain")), "keep");
  }
}

TEST_F(CliFile, FileSystemErrorsAreRaisedErrors) {
  fs::create_directory(Path("dir"));
  WriteFile(Path("plain"), "x");
  WriteFile(Path("cipher"), std::string(16, 'x'));
  const auto noProgress = [](std::uint64_t, std::uint64_t) {};
  struct Case {
    std::string command, in, out;
  };
  for (const Case& c : std::vector<Case>{{"encrypt-file", Path("dir"), Path("out")},
                                         {"encrypt-file", Path("plain"), Path("nodir/out")},
                                         {"decrypt-file", Path("missing"), Path("out")},
                                         {"decrypt-file", Path("cipher"), Path("nodir/out")}}) {
    SCOPED_TRACE(c.command + " " + c.in + " " + c.out);
    const std::string description = RaisedDescription([&] {
      cRijndael cipher;
      ApplyKey(cipher, {});
      if (c.command == "encrypt-file")
        cipher.FileEncrypt(fs::path(c.in), fs::path(c.out), noProgress);
      else
        cipher.FileDecrypt(fs::path(c.out), fs::path(c.in), noProgress);
    });
    ExpectResult(Cli({c.command, c.in, c.out}), 3, "hostseal: " + description + "\n");
    EXPECT_FALSE(fs::exists(Path("out")));
  }
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
  for (const std::size_t n : {std::size_t{0}, std::size_t{15}, std::size_t{16}, std::size_t{17},
                              std::size_t{5'000'003}}) {
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

  // A cipher stream of a wrong size into an existing file leaves the file alone.
  WriteFile(dir + "/kept", "former");
  ExpectResult(run({"decrypt-file", "-", dir + "/kept"}, std::string(20, 'x')), 1, "",
               "hostseal: File Size Error - ciphertext file not a multiple of block size\n");
  EXPECT_EQ(ReadFile(dir + "/kept"), "former");

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

// Past the file-size limit (ulimit -f) a write fails with "File too large": a message and exit
// status 3 for a file and for standard output alike, and a file that was there stays as it was.
TEST_F(CliFile, TheFileSizeLimitIsAnErrorForFilesAndStandardOutput) {
  const std::string big(100'000, 'x');
  WriteFile(Path("big"), big);
  WriteFile(Path("big.aes"), Cli({"encrypt-file", "-", "-"}, big).out);
  WriteFile(Path("target"), "former");
  const std::vector<std::vector<std::string>> commands = {
      {"encrypt-file", Path("big"), Path("target")},
      {"encrypt-file", Path("big"), "-"},
      {"decrypt-file", Path("big.aes"), "-"},
      {"utf8", big},
      {"encrypt", big}};
  for (const auto& command : commands) {
    const std::string written =
        command.size() == 3 && command[2] != "-" ? command[2] : "standard output";
    SCOPED_TRACE(command[0] + " into " + written);
    WriteFile(Path("out"), "");
    ProcessRun run = CliRun({});
    run.argv = {"/bin/bash", "-c", "ulimit -f 8 && exec \"$@\"", "bash", kCli};
    run.argv.insert(run.argv.end(), command.begin(), command.end());
    run.out = {OutputTarget::Kind::kFile, Path("out")};
    const ProcessResult r = RunProcess(run);
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("Disk full: \"" + written + "\" (File too large)"), std::string::npos)
        << r.err;
  }
  EXPECT_EQ(ReadFile(Path("target")), "former");
  EXPECT_EQ(std::distance(fs::directory_iterator(m_Dir.Path()), fs::directory_iterator()), 4);
}

}  // namespace
}  // namespace hostseal::testing
