// Where the file commands take their key from: key and pass-phrase files, standard input, the
// environment and the terminal prompt, which one wins, and what the messages say and never
// say. Cipher files are checked against OpenSSL's AES over the framing.
#include <cpuid.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/folder_test.hpp"
#include "tests/tools/cli_test_support.hpp"

namespace hostseal::testing {
namespace {

namespace fs = std::filesystem;

// The key a pass phrase makes: its bytes cut or filled up with zero bytes.
std::string PhraseKey(std::string phrase, std::size_t bytes) {
  phrase.resize(bytes, '\0');
  return phrase;
}

class CliKey : public FolderTest {
 protected:
  void SetUp() override { WriteFile(Path("plain"), kData); }

  // A private file (mode 600) with the given content.
  std::string SecretFile(const std::string& name, const std::string& content) const {
    WriteFile(Path(name), content);
    fs::permissions(Path(name), fs::perms::owner_read | fs::perms::owner_write);
    return Path(name);
  }

  // The command with options, the environment entries and standard input.
  static ProcessResult Run(const std::string& command, const std::string& in,
                           const std::string& out, std::vector<std::string> options,
                           std::vector<std::string> env = {}, std::string input = {}) {
    std::vector<std::string> args = {command, in, out};
    args.insert(args.end(), options.begin(), options.end());
    env.insert(env.begin(), {"NO_COLOR=1", "HOSTSEAL_CODEPAGE=65001"});
    return RunProcess(CliRun(args, std::move(input), env));
  }

  const std::string kKey = "000102030405060708090a0b0c0d0e0f";
  const std::string kKeyBytes = Unhex(kKey);
  const std::string kPhrase = "correct horse battery staple";  // 28 bytes
  const std::string kData = "the plain text of the file\n";
};

TEST_F(CliKey, EverySourceKeysTheFileAsTheCommandLineValueDoes) {
  struct Case {
    std::string name;
    std::vector<std::string> options;
    std::vector<std::string> env;
    std::string input;
    std::string key;  // the AES key the file must be encrypted under
  };
  const std::string phrase256 = PhraseKey(kPhrase, 32);
  const std::vector<Case> all = {
      {"key file", {"--key-file", SecretFile("k1", kKey + "\n")}, {}, {}, kKeyBytes},
      {"key file, CR LF, more lines",
       {"--key-file", SecretFile("k2", kKey + "\r\nzz\n")},
       {},
       {},
       kKeyBytes},
      {"key file without a line feed", {"--key-file", SecretFile("k3", kKey)}, {}, {}, kKeyBytes},
      {"key on standard input", {"--key-file", "-"}, {}, kKey + "\n", kKeyBytes},
      {"key from /dev/stdin, a pipe", {"--key-file", "/dev/stdin"}, {}, kKey + "\n", kKeyBytes},
      {"HOSTSEAL_KEY", {}, {"HOSTSEAL_KEY=" + kKey}, {}, kKeyBytes},
      {"pass-phrase file",
       {"--passphrase-file", SecretFile("p1", kPhrase + "\n"), "--bits", "256"},
       {},
       {},
       phrase256},
      {"pass phrase on standard input",
       {"--passphrase-file", "-", "--bits", "256"},
       {},
       kPhrase + "\r\n",
       phrase256},
      {"HOSTSEAL_PASSPHRASE", {"--bits", "256"}, {"HOSTSEAL_PASSPHRASE=" + kPhrase}, {}, phrase256},
      {"an option beats the environment",
       {"--key-file", SecretFile("k4", kKey)},
       {"HOSTSEAL_KEY=not a key", "HOSTSEAL_PASSPHRASE=x"},
       {},
       kKeyBytes},
  };
  for (const Case& c : all) {
    SCOPED_TRACE(c.name);
    fs::remove(Path("cipher"));
    ExpectResult(Run("encrypt-file", Path("plain"), Path("cipher"), c.options, c.env, c.input), 0,
                 "", "");
    EXPECT_EQ(ReadFile(Path("cipher")), ExpectedCipherFile(c.key, kData));
    ExpectResult(Run("decrypt-file", Path("cipher"), Path("back"), c.options, c.env, c.input), 0,
                 "", "");
    EXPECT_EQ(ReadFile(Path("back")), kData);
  }
}

TEST_F(CliKey, OneSourceAtATime) {
  const std::string keyFile = SecretFile("k", kKey);
  const std::vector<std::vector<std::string>> sources = {{"--key-file", keyFile},
                                                         {"--passphrase-file", keyFile},
                                                         {"--ask-passphrase"},
                                                         {"--key", kKey},
                                                         {"--passphrase", "p"}};
  for (std::size_t a = 0; a < sources.size(); ++a) {
    for (std::size_t b = a + 1; b < sources.size(); ++b) {
      std::vector<std::string> options = sources[a];
      options.insert(options.end(), sources[b].begin(), sources[b].end());
      SCOPED_TRACE(::testing::PrintToString(options));
      ExpectResult(Run("encrypt-file", Path("plain"), Path("cipher"), options), 2, "",
                   Usage(sources[a][0] + " excludes " + sources[b][0]));
    }
  }
  for (const auto& [options, env, message] :
       std::vector<std::tuple<std::vector<std::string>, std::vector<std::string>, std::string>>{
           {{},
            {"HOSTSEAL_KEY=" + kKey, "HOSTSEAL_PASSPHRASE=p"},
            "HOSTSEAL_KEY and HOSTSEAL_PASSPHRASE are both set; unset one, or name the key with an "
            "option"},
           {{"--key-file", keyFile, "--bits", "256"}, {}, "--key-file excludes --bits"},
           {{"--bits", "256"},
            {"HOSTSEAL_KEY=" + kKey},
            "--bits goes with a pass phrase, and HOSTSEAL_KEY holds a key"},
       }) {
    SCOPED_TRACE(message);
    ExpectResult(Run("encrypt-file", Path("plain"), Path("cipher"), options, env), 2, "",
                 Usage(message));
  }
  EXPECT_FALSE(fs::exists(Path("cipher")));
}

TEST_F(CliKey, AKeySourceThatIsTheDataInputIsRefusedBeforeEitherIsRead) {
  // Every name that reaches standard input, as either kind of key file, for both file commands:
  // a usage error, and no file written, however the key and the data share the input.
  const std::string cipher = ExpectedCipherFile(kKeyBytes, kData);
  for (const std::string command : {"encrypt-file", "decrypt-file"}) {
    for (const std::string option : {"--key-file", "--passphrase-file"}) {
      for (const std::string name : {"-", "/dev/stdin", "/proc/self/fd/0", "/dev/fd/0"}) {
        SCOPED_TRACE(command + " " + option + " " + name);
        const std::string shown = name == "-" ? name : '"' + name + '"';
        ExpectResult(Run(command, "-", Path("out"), {option, name}, {}, kKey + "\n" + cipher), 2,
                     "",
                     Usage(option + " " + shown +
                           ": standard input already holds the file IN; give the key another "
                           "way"));
        EXPECT_FALSE(fs::exists(Path("out")));
      }
    }
  }
  // A key file that is the file IN by a symbolic link (the same name and a hard link are in
  // cli_key_identity_test, which runs on Windows too).
  const std::string keyFile = SecretFile("k", kKey + "\n" + kData);
  fs::create_symlink(keyFile, Path("link"));
  ExpectResult(
      Run("encrypt-file", Path("link"), Path("out"), {"--key-file", keyFile}), 2, "",
      Usage("--key-file \"" + keyFile + "\": it is the file IN; give the key another way"));
  EXPECT_FALSE(fs::exists(Path("out")));
}

TEST_F(CliKey, KeyFilesThatCannotBeUsedAreRaisedErrors) {
  fs::create_directory(Path("dir"));
  const std::string longLine(5000, 'a');
  for (const auto& [path, input, expected] :
       std::vector<std::tuple<std::string, std::string, std::string>>{
           {Path("dir"), "", "Cannot read the key file \"" + Path("dir") + "\" (Is a directory)"},
           {SecretFile("empty", ""), "", "The key file \"" + Path("empty") + "\" is empty"},
           {SecretFile("blank", "\n" + kKey), "",
            "The first line of the key file \"" + Path("blank") + "\" is empty"},
           {SecretFile("long", longLine + "\n"), "",
            "The first line of the key file \"" + Path("long") + "\" is longer than 4096 bytes"},
           {"-", "", "The key file on standard input is empty"},
           {SecretFile("esc\x1b[2J", ""), "",
            "The key file \"" + Path("escU+001B[2J") + "\" is empty"},
       }) {
    SCOPED_TRACE(path);
    ExpectResult(
        Run("encrypt-file", Path("plain"), Path("cipher"), {"--key-file", path}, {}, input), 3, "",
        "hostseal: " + expected + "\n");
    EXPECT_FALSE(fs::exists(Path("cipher")));
  }
  // A pass-phrase file says which file it is.
  ExpectResult(Run("decrypt-file", Path("plain"), Path("out"), {"--passphrase-file", Path("none")}),
               3, "",
               "hostseal: Cannot read the pass-phrase file \"" + Path("none") +
                   "\" (No such file or directory)\n");
}

TEST_F(CliKey, KeyErrorsSayTheRuleAndNothingOfTheKey) {
  // Every source of a key with bad keys of every kind: the message is the same whatever the
  // secret, so it holds no character, position or length of it. The link points to a private
  // file the tool may read, as a second user might plant it.
  const std::string rule = ": the key must be 32, 48 or 64 hexadecimal digits\n";
  const std::string link = Path("link"), firstLine = "hostseal: The first line of the ";
  fs::create_symlink(Path("target"), link);
  for (const std::string& secret :
       {std::string("0123"), std::string(31, 'f') + "Z", std::string(66, '0'), std::string("0 1"),
        std::string(31, '0') + "\t", "中" + std::string(31, '0'), std::string(5000, '~')}) {
    SCOPED_TRACE(secret.substr(0, 40));
    SecretFile("target", secret + "\n");
    const bool tooLong = secret.size() > 4096;
    const auto fromFile = [&](const std::string& file) {
      return firstLine + file + (tooLong ? " is longer than 4096 bytes\n" : " is not a key" + rule);
    };
    std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--key", secret}, "hostseal: Key" + rule},
        {{"--key=" + secret}, "hostseal: Key" + rule},
        {{}, "hostseal: HOSTSEAL_KEY is not a key" + rule},
        {{"--key-file", link}, fromFile("key file \"" + link + "\"")},
        {{"--key-file", "-"}, fromFile("key file on standard input")}};
    if (tooLong)
      cases.push_back({{"--passphrase-file", link}, fromFile("pass-phrase file \"" + link + "\"")});
    for (const auto& [options, message] : cases) {
      ExpectResult(Run("encrypt-file", Path("plain"), Path("cipher"), options,
                       {"HOSTSEAL_KEY=" + secret}, secret + "\r\n"),
                   3, "", message);
      EXPECT_FALSE(fs::exists(Path("cipher")));
    }
  }
}

TEST_F(CliKey, KeyFilesOthersCanReadAreWarnedAbout) {
  const std::string file = SecretFile("k", kKey + "\n");
  for (const auto& [mode, warned] : std::vector<std::pair<fs::perms, bool>>{
           {fs::perms::owner_read, false},
           {fs::perms::owner_read | fs::perms::group_read, true},
           {fs::perms::owner_read | fs::perms::others_read, true}}) {
    fs::permissions(file, mode);
    const ProcessResult r =
        Run("encrypt-file", Path("plain"), Path("cipher"), {"--key-file", file});
    EXPECT_EQ(r.status, 0);
    if (warned) {
      EXPECT_EQ(
          r.err.rfind(
              "hostseal: warning: other users can read the key file \"" + file + "\" (mode 0", 0),
          0u)
          << r.err;
      EXPECT_NE(r.err.find("chmod 600"), std::string::npos) << r.err;
    } else {
      EXPECT_EQ(r.err, "");
    }
  }
}

TEST_F(CliKey, NoMessageRepeatsAKeyOrAPassPhrase) {
  const std::string secret = "S3cretValue0123456789abcdef0123456";
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--key", secret, "encrypt-file", "a", "b"},
           {"--passphrase=" + secret, "encrypt-file", "a", "b"},
           {"encrypt", "a", "--passphrase", secret},
           {"encrypt-file", "a", "b", "--key", secret, "--key", secret},
           {"encrypt-file", "a", "b", "--key=", secret, "extra"},
           {"encrypt-file", "--key", "--passphrase", secret, "a", "b"},
           {"encrypt-file", "a", "--passphrase", secret},
           {"encrypt-file", "a", "b", "c", "--passphrase", secret},
           {"decrypt-file", "a", "b", "--key", secret, "--bits", "256"},
           {"decrypt-file", "a", "b", "--passphrase", secret, "--bits", "7"},
       }) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const ProcessResult r = Cli(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.find(secret.substr(0, 8)), std::string::npos) << r.err;
  }
  // Surplus arguments after the command, word for word but the value.
  ExpectResult(Cli({"--key", kKey, "encrypt-file", "a", "b"}), 2, "",
               Usage("unexpected arguments \"--key\" \"(hidden)\""));
  ExpectResult(Cli({"encrypt", "--passphrase=x", "t"}), 2, "",
               Usage("unexpected argument \"--passphrase=(hidden)\""));
  // Other text a message repeats shows its control characters as codes.
  ExpectResult(Cli({"frob\x1b]0;x\x07"}), 2, "", Usage("unknown command \"frobU+001B]0;xU+0007\""));
  ExpectResult(Cli({"mac", "1.2.3.4\r"}), 2, "",
               Usage("IP: \"1.2.3.4U+000D\" is not a dotted-decimal IPv4 address such as "
                     "192.168.1.20"));
}

TEST_F(CliKey, PassPhrasesThatDoNotMakeTheKeyTheySeemToAreNoted) {
  const std::string tail = " bytes of the pass phrase are used\n";
  struct Case {
    std::vector<std::string> options;
    std::string codePage, note;
  };
  for (const Case& c : std::vector<Case>{
           {{"--passphrase", ""},
            "65001",
            "hostseal: note: the pass phrase is empty; the key is all zero bytes\n"},
           {{"--passphrase", std::string(16, 'x')}, "65001", ""},
           {{"--passphrase", std::string(17, 'x')},
            "65001",
            "hostseal: note: only the first 16" + tail},
           {{"--passphrase", std::string(25, 'x'), "--bits", "192"},
            "65001",
            "hostseal: note: only the first 24" + tail},
           {{"--passphrase", std::string(32, 'x'), "--bits", "256"}, "65001", ""},
           // Six Chinese characters: 18 bytes in UTF-8, 12 in GBK.
           {{"--passphrase", "中文中文中文"}, "65001", "hostseal: note: only the first 16" + tail},
           {{"--passphrase", "中文中文中文"}, "936", ""},
       }) {
    SCOPED_TRACE(::testing::PrintToString(c.options) + " " + c.codePage);
    std::vector<std::string> args = {"--codepage", c.codePage, "encrypt-file", Path("plain"),
                                     Path("cipher")};
    args.insert(args.end(), c.options.begin(), c.options.end());
    ExpectResult(Cli(args), 0, "", c.note);
  }
}

TEST_F(CliKey, EnvironmentSettingsAreCheckedAndNamed) {
  const auto withEnv = [](std::vector<std::string> args, std::vector<std::string> env) {
    env.insert(env.begin(), "NO_COLOR=1");
    return RunProcess(CliRun(std::move(args), {}, std::move(env)));
  };
  for (const std::string value : {"bogus", " 936", "0x3a8", "-936", "936 ", "+936"}) {
    SCOPED_TRACE(value);
    ExpectResult(withEnv({"ansi", "a"}, {"HOSTSEAL_CODEPAGE=" + value}), 2, "",
                 Usage("HOSTSEAL_CODEPAGE: \"" + value +
                       "\" is not a code-page number; give decimal digits such as 936, 1252 or "
                       "65001"));
    ExpectResult(Cli({"--codepage", value, "ansi", "a"}), 2, "",
                 Usage("--codepage: \"" + value +
                       "\" is not a code-page number; give decimal digits such as 936, 1252 or "
                       "65001"));
  }
  ExpectResult(Cli({"--codepage", "", "ansi", "a"}), 2, "",
               Usage("--codepage: the value is empty; give a code-page number such as 936, 1252 "
                     "or 65001"));
  ExpectResult(withEnv({"ansi", "a"}, {"HOSTSEAL_CODEPAGE=0936"}), 0, "61\n", "");

  // HOSTSEAL_CPU: the paths this processor has run, the others are refused (other values are
  // warned about: cli_keygen_test); the cipher text of several blocks is the same on every path.
  const std::string text = "the same bytes on every path, 0123456789abcdef0123456789abcdef";
  const std::string expected = Cli({"encrypt", text}).out;
  // The processor's features as CPUID tells them here: AES (leaf 1), VAES (leaf 7) with AVX2
  // that the system saves the registers of.
  unsigned a = 0, b = 0, c = 0, d = 0;
  const bool aes = __get_cpuid(1, &a, &b, &c, &d) != 0 && (c & (1u << 25)) != 0;
  const bool vaes = aes && __builtin_cpu_supports("avx2") != 0 &&
                    __get_cpuid_count(7, 0, &a, &b, &c, &d) != 0 && (c & (1u << 9)) != 0;
  for (const auto& [value, available] : std::vector<std::pair<std::string, bool>>{
           {"portable", true}, {"aes-ni", aes}, {"vaes", vaes}}) {
    SCOPED_TRACE(value);
    const ProcessResult r = withEnv({"encrypt", text}, {"HOSTSEAL_CPU=" + value});
    if (available) {
      ExpectResult(r, 0, expected, "");
    } else {
      ExpectResult(r, 2, "",
                   "hostseal: HOSTSEAL_CPU: this processor lacks the instructions of the \"" +
                       value + "\" path; unset it, or choose portable\n");
    }
  }
}

// The prompt on a terminal of the tool's own.
class CliPrompt : public CliKey {
 protected:
  static ProcessResult Prompt(const std::string& command, const std::string& in,
                              const std::string& out, std::vector<TerminalTurn> conversation) {
    RunControl control;
    control.controllingTerminal = true;
    control.conversation = std::move(conversation);
    return RunProcess(CliRun({command, in, out, "--ask-passphrase"}), control);
  }
};

TEST_F(CliPrompt, AsksTwiceWhenEncryptingOnceWhenDecryptingWithoutEcho) {
  ProcessResult r =
      Prompt("encrypt-file", Path("plain"), Path("cipher"),
             {{"Pass phrase: ", kPhrase + "\n"}, {"Pass phrase again: ", kPhrase + "\n"}});
  const std::string kNote = "hostseal: note: only the first 16 bytes of the pass phrase are used\n";
  ExpectResult(r, 0, "", kNote);
  EXPECT_EQ(r.terminal, "Pass phrase: \r\nPass phrase again: \r\n");  // no echo but the line feed
  EXPECT_TRUE(r.terminalEchoes);
  EXPECT_EQ(ReadFile(Path("cipher")), ExpectedCipherFile(PhraseKey(kPhrase, 16), kData));

  r = Prompt("decrypt-file", Path("cipher"), Path("back"), {{"Pass phrase: ", kPhrase + "\n"}});
  ExpectResult(r, 0, "", kNote);
  EXPECT_EQ(r.terminal, "Pass phrase: \r\n");
  EXPECT_TRUE(r.terminalEchoes);
  EXPECT_EQ(ReadFile(Path("back")), kData);
}

TEST_F(CliPrompt, FailuresAndSignalsLeaveTheTerminalAsItWas) {
  // Two different answers.
  ProcessResult r = Prompt("encrypt-file", Path("plain"), Path("cipher"),
                           {{"Pass phrase: ", "one\n"}, {"Pass phrase again: ", "two\n"}});
  ExpectResult(r, 2, "",
               "hostseal: --ask-passphrase: the two pass phrases differ; nothing was encrypted\n");
  EXPECT_TRUE(r.terminalEchoes);
  EXPECT_FALSE(fs::exists(Path("cipher")));

  // The input ends (Ctrl-D) instead of an answer.
  r = Prompt("encrypt-file", Path("plain"), Path("cipher"), {{"Pass phrase: ", "\x04"}});
  ExpectResult(r, 2, "",
               "hostseal: --ask-passphrase: the input ended before a pass phrase was entered\n");
  EXPECT_TRUE(r.terminalEchoes);

  // Ended by a signal while the user types: half a line typed, then SIGTERM; and Ctrl-C.
  r = Prompt("encrypt-file", Path("plain"), Path("cipher"), {{"Pass phrase: ", "half", SIGTERM}});
  EXPECT_EQ(r.status, 128 + SIGTERM);
  EXPECT_TRUE(r.terminalEchoes);
  r = Prompt("decrypt-file", Path("plain"), Path("back"), {{"Pass phrase: ", "\x03"}});
  EXPECT_EQ(r.status, 128 + SIGINT);
  EXPECT_TRUE(r.terminalEchoes);
  EXPECT_FALSE(fs::exists(Path("cipher")));
  EXPECT_FALSE(fs::exists(Path("back")));

  // No terminal at all.
  ExpectResult(Run("encrypt-file", Path("plain"), Path("cipher"), {"--ask-passphrase"}), 2, "",
               "hostseal: --ask-passphrase needs a terminal (/dev/tty: No such device or "
               "address); give the pass phrase with --passphrase-file or HOSTSEAL_PASSPHRASE\n");
}

}  // namespace
}  // namespace hostseal::testing
