// The text commands, global options and usage errors of the built tool, checked byte for byte:
// cipher output against OpenSSL, long texts against the library's conversion of the whole.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "hostseal/cipher/pass_phrase.hpp"
#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/hostinfo/cpu.hpp"
#include "hostseal/text/code_page.hpp"
#include "hostseal/text/code_page_platform.hpp"
#include "tests/tools/cli_test_support.hpp"

namespace hostseal::testing {
namespace {

// What encrypt must print for these code-page bytes: AES-128 under the built-in pass phrase
// (its 11 bytes and 5 zero bytes), zero padding, 32 digits per group.
std::string ExpectedEncrypt(std::string bytes) {
  bytes.resize((bytes.size() + 15) / 16 * 16, '\0');
  std::string key = ToUtf8(kBuiltInPassPhrase);
  key.resize(16, '\0');
  return Hex(AesEcb(key, bytes), "  ", 16) + "\n";
}

TEST(CliText, LongTextsCrossThePiecesUnchanged) {
  // Longer than the pieces in which the commands read and write, with characters of two,
  // three and four bytes cut at piece boundaries, ill-formed bytes, which grow to three bytes
  // each as text, between well-formed runs longer than a piece, a CR LF at the very end to
  // drop, and a zero past the first piece, where decrypt ends the text. Every command reads
  // and writes them as the library converts the whole text.
  std::string text;
  for (int i = 0; text.size() < 300000; ++i) {
    text += i % 7 == 0 ? "a\xC3\xA9 " : "中文\xF0\x9F\x98\x80";
  }
  for (int i = 0; i < 3; ++i) {
    text += std::string(150000, '\xFF') + "\xE4\xB8" + text.substr(0, 100000) + "\xF0\x9F";
  }
  for (const int page : {65001, 54936}) {
    SCOPED_TRACE(page);
    SetAnsiCodePage(page);
    const std::u16string whole = FromUtf8(text);
    const std::vector<std::string> env = {"HOSTSEAL_CODEPAGE=" + std::to_string(page)};
    const ProcessResult encrypted = RunProcess(CliRun({"encrypt"}, text + "\r\n", env));
    ExpectResult(encrypted, 0, ToUtf8(cRijndael().Encrypt(whole)) + "\n", "");
    ExpectResult(RunProcess(CliRun({"decrypt"}, encrypted.out, env)), 0, ToUtf8(whole) + "\n", "");
    const std::vector<Byte> bytes = TextToAnsiBytes(whole);
    ExpectResult(RunProcess(CliRun({"ansi"}, text, env)), 0,
                 Hex(std::string(bytes.begin(), bytes.end()), " ") + "\n", "");
    ExpectResult(RunProcess(CliRun({"utf8"}, text, env)), 0,
                 Hex("\xEF\xBB\xBF" + ToUtf8(whole), " ") + "\n", "");
  }
  SetAnsiCodePage(65001);
  std::size_t cut = 100003;
  while ((static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) ++cut;  // a character's start
  std::string zero = text;
  zero.insert(cut, std::string(1, '\0'));
  const std::string hex = Cli({"encrypt"}, zero).out;
  ExpectResult(Cli({"decrypt"}, hex), 0, zero.substr(0, cut) + "\n", "");
}

TEST(CliText, TextCommandsHoldAtMostTwiceTheirInput) {
  // The peak resident size beyond the tool's own, against the input: utf8 and ansi hold a piece
  // at a time, encrypt the text once, decrypt the cipher and then the plain bytes. Ill-formed
  // bytes grow threefold as text, here to more than twice the input. GNU time reports the peak
  // of the tool alone (a child of this process would count the pages it was forked with).
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizers' shadow memory is not the tool's";
#endif
  const auto measure = [](const std::string& command, const std::string& input, bool keepOutput) {
    ProcessRun run = CliRun({command}, input);
    run.argv = {"/usr/bin/time", "-f", "%M", kCli, command};
    if (!keepOutput) run.out = {OutputTarget::Kind::kFile, "/dev/null"};
    const ProcessResult r = RunProcess(run);
    EXPECT_EQ(r.status, 0) << r.err;
    return std::pair(std::stol(r.err), r.out);  // kilobytes
  };
  const long base = measure("utf8", "a", false).first;
  for (const std::size_t mib : {4, 64}) {
    std::string input;
    while (input.size() < mib << 20)
      input += "abc \xC3\xA9中\xF0\x9F\x98\x80" + std::string(20, '\xFF');
    for (const std::string command : {"utf8", "ansi", "encrypt", "decrypt"}) {
      SCOPED_TRACE(command + ", " + std::to_string(mib) + " MiB");
      const auto [peak, out] = measure(command, input, command == "encrypt");
      EXPECT_LE(peak - base, 2 * static_cast<long>(input.size() >> 10));
      if (command == "encrypt") input = out;  // for decrypt
    }
  }
}

TEST(CliText, AtATerminalTheTextCommandsSayWhereTheTextComesFrom) {
  for (const std::string command : {"encrypt", "decrypt", "utf8", "ansi"}) {
    SCOPED_TRACE(command);
    ProcessRun run = CliRun({});
    run.argv = {"/bin/sh", "-c", "exec \"$0\" \"$1\" </dev/tty 2>/dev/tty", kCli, command};
    RunControl control;
    control.controllingTerminal = true;
    control.conversation = {{"Ctrl-D\r\n", "61\n\x04"}};
    const ProcessResult r = RunProcess(run, control);
    EXPECT_EQ(
        r.terminal.rfind(
            "hostseal: reading the text from standard input; end it with Ctrl-D\r\n61\r\n", 0),
        0u)
        << r.terminal;
    if (command == "utf8") ExpectResult(r, 0, "EF BB BF 36 31\n", "");
  }
}

// The code page's bytes themselves are held to iconv and to Windows by tests/text.
TEST(CliText, TheCodePageOptionBeatsTheVariableWhereverItStands) {
  const std::string gbk = "\xD6\xD0";  // 中
  ProcessRun run = CliRun({"ansi", "中"}, {}, {"HOSTSEAL_CODEPAGE=1252"});
  run.argv = {kCli, "--codepage", "936", "ansi", "中"};
  ExpectResult(RunProcess(run), 0, "D6 D0\n", "");
  ExpectResult(Cli({"encrypt", "--codepage", "936", "中"}), 0, ExpectedEncrypt(gbk), "");
  ExpectResult(Cli({"--codepage=936", "decrypt", ExpectedEncrypt(gbk)}), 0, "中\n", "");
}

// Where the code page holds a character only as its best fit or "?", the cipher text or key is
// that of another text: a note says so, for the text and for pass phrases, and for text that
// arrives on standard input in pieces.
TEST(CliText, TextTheCodePageCannotHoldExactlyIsNoted) {
  const std::string note = "hostseal: note: code page 1252 cannot hold every character of ";
  for (const auto& [args, input, what] :
       std::vector<std::tuple<std::vector<std::string>, std::string, std::string>>{
           {{"--codepage", "1252", "encrypt", "\u0101"}, "", "the text"},
           {{"--codepage", "1252", "encrypt"}, std::string(70000, 'x') + "\u0101", "the text"},
           {{"--codepage", "1252", "encrypt-file", "--passphrase", "p\u0101ss", "-", "-"},
            "",
            "the pass phrase"}}) {
    const ProcessResult result = Cli(args, input);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err.rfind(note + what + " exactly", 0), 0U) << result.err;
  }
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--codepage", "1252", "encrypt", "caf\u00E9 ?"},
        {"--codepage", "65001", "encrypt", "\u0101\u4E2D"},
        // Held exactly by Windows' tables, which Linux follows: 1252's byte 81, 936's AAA1.
        {"--codepage", "1252", "encrypt", "\u0081"},
        {"--codepage", "936", "encrypt", "\uE000"},
        {"--codepage", "1252", "encrypt-file", "--passphrase", "caf\u00E9", "-", "-"}}) {
    EXPECT_EQ(Cli(args).err, "") << args[3];
  }
}

// The bytes themselves: utf8_bytes_test and the recorded outputs.
TEST(CliText, Utf8OfAnArgumentThatIsNoUtf8IsNeverDroppedSilently) {
  ExpectResult(Cli({"utf8", "\xFF"}), 0, "EF BB BF EF BF BD\n", "");
}

// The other failures of the text commands are among the recorded outputs (cli_vector_test).
TEST(CliText, StandardInputOfOnlyALineFeedIsNoText) {
  ExpectResult(Cli({"encrypt"}, "\n"), 1, "", "hostseal: no text to encrypt\n");
}

TEST(CliText, UsageErrorsExitWithTwo) {
  for (const auto& [args, message] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--frobnicate"}, "unknown option \"--frobnicate\""},
           {{"decrypt-file", "a", "b", "--bits", "192"}, "--bits requires --passphrase"},
           {{"encrypt-file", "a"}, "OUT is required"},
           {{"host-ip"}, "NAME is required"},
       }) {
    SCOPED_TRACE(::testing::PrintToString(args));
    ExpectResult(Cli(args), 2, "", Usage(message));
  }
  // Which texts are addresses is the library's (host_text_test); the tool says so in one way.
  ExpectResult(Cli({"mac", "01.2.3.4"}), 2, "",
               Usage("IP: \"01.2.3.4\" is not a dotted-decimal IPv4 address such as 192.168.1.20"));
}

// A code page the library does not know, given as a setting (or as --codepage, which names
// itself the same way), is a usage error of the tool.
TEST(CliText, UnknownCodePageIsAUsageErrorOfTheTool) {
  ExpectResult(RunProcess(CliRun({"encrypt", "a"}, {}, {"HOSTSEAL_CODEPAGE=12345"})), 2, "",
               Usage("HOSTSEAL_CODEPAGE: unknown code page 12345; known code pages: " +
                     ConvertibleCodePages()));
}

TEST(CliText, EveryCommandHasItsHelp) {
  for (const char* command : {"encrypt", "decrypt", "encrypt-file", "decrypt-file", "host-ip",
                              "mac", "cpu", "utf8", "ansi", "identity"}) {
    const ProcessResult r = Cli({command, "--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find(std::string("Example:\n  ")), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(std::string("hostseal ") + command), std::string::npos) << r.out;
  }
}

TEST(CliText, AFailedStandardOutputIsNotSuccess) {
  // Every command that prints its result, short (failing at the last flush) and long (failing
  // on the way): the system's reason, whatever happened between the failure and the end.
  const std::string big(3 << 20, 'x'), hex = Cli({"encrypt", "a"}).out;
  for (const auto& [args, input] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--version"}, ""},
           {{"--help"}, ""},
           {{"encrypt", "a"}, ""},
           {{"encrypt"}, big},
           {{"decrypt", hex.substr(0, 32)}, ""},
           {{"utf8", "abc"}, ""},
           {{"utf8"}, big},
           {{"ansi"}, big},
           {{"host-ip", "127.0.0.1"}, ""},
           {{"encrypt-file", "-", "-"}, big},
           {{"decrypt-file", "-", "-"}, Cli({"encrypt-file", "-", "-"}, big).out}}) {
    SCOPED_TRACE(args.front());
    ProcessRun run = CliRun(args, input);
    run.out = {OutputTarget::Kind::kFile, "/dev/full"};
    ExpectResult(RunProcess(run), 3, "",
                 "hostseal: Disk full: \"standard output\" (No space left on device)\n");
  }
}

TEST(CliText, CpuPrintsTheProcessorIdentifiers) {
  const std::string ids = ToUtf8(GetCpu());
  if (ids.empty()) {
    ExpectResult(Cli({"cpu"}), 1, "", "hostseal: no processor identifier found\n");
  } else {
    ExpectResult(Cli({"cpu"}), 0, ids + "\n", "");
  }
}

}  // namespace
}  // namespace hostseal::testing
