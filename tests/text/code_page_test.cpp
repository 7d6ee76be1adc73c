// The code-page layer against the iconv command as an independent oracle for the characters
// that both map: the command converts each character on its own, and the layer's conversion
// of the whole text must equal the concatenation. Where iconv has no mapping, Windows' best
// fit decides (held to Windows itself by code_page_digest_test.cpp).
#include "hostseal/text/code_page.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"
#include "tests/support/scoped_code_page.hpp"
#include "tests/support/scratch_folder.hpp"

namespace hostseal {
namespace {

// `iconv -c ARGS` over input; -c leaves out what the target cannot hold.
std::string RunIconv(const std::string& args, const std::string& input) {
  const testing::ScratchFolder folder;
  std::ofstream(folder / "in", std::ios::binary) << input;
  const std::string command =
      "iconv -c " + args + " <" + (folder / "in").string() + " >" + (folder / "out").string();
  EXPECT_NE(std::system(command.c_str()), -1);
  std::stringstream result;
  result << std::ifstream(folder / "out", std::ios::binary).rdbuf();
  return result.str();
}

void ExpectMatchesIconvCommand(std::int32_t codePage, const std::string& iconvName) {
  // ASCII, Latin-1, Latin Extended-A, Greek, CJK, the euro sign, emoji, lone surrogates.
  const std::vector<std::pair<char32_t, char32_t>> ranges = {
      {0x20, 0x7E},     {0xA0, 0xFF},     {0x100, 0x17F},     {0x391, 0x3C9},
      {0x4E00, 0x9FA5}, {0x20AC, 0x20AC}, {0x1F600, 0x1F64F}, {0xD800, 0xDFFF}};
  std::mt19937 rng(static_cast<unsigned>(codePage));
  std::vector<std::u16string> chars;
  std::string lines;  // one character a line; no character of 936 or 1252 has a byte 0x0A
  for (int i = 0; i < 3000; ++i) {
    const auto& [lo, hi] = ranges[rng() % ranges.size()];
    const auto cp = static_cast<char32_t>(lo + rng() % (hi - lo + 1));
    chars.push_back(cp < 0x10000 ? std::u16string(1, static_cast<char16_t>(cp))
                                 : std::u16string{static_cast<char16_t>(0xD7C0 + (cp >> 10)),
                                                  static_cast<char16_t>(0xDC00 + (cp & 0x3FF))});
    lines += (cp >= 0xD800 && cp <= 0xDFFF ? std::string() : ToUtf8(chars.back())) + "\n";
  }
  std::istringstream converted(RunIconv("-f UTF-8 -t " + iconvName, lines));
  std::u16string text;
  std::string expected;
  std::string line;
  for (const std::u16string& c : chars) {
    ASSERT_TRUE(std::getline(converted, line));
    if (line.empty()) continue;  // not in iconv's table
    text += c;
    expected += line;
  }
  EXPECT_GT(text.size(), 1000U);
  const std::vector<Byte> bytes = TextToCodePageBytes(text, codePage);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);
  EXPECT_EQ(CodePageBytesToText(bytes, codePage),
            FromUtf8(RunIconv("-f " + iconvName + " -t UTF-8", expected)));
  testing::ScopedCodePage scoped(codePage);
  EXPECT_EQ(TextToAnsiBytes(text), bytes);
}

TEST(CodePage, Cp936AndCp1252MatchTheIconvCommandCharacterByCharacter) {
  ExpectMatchesIconvCommand(936, "CP936");
  ExpectMatchesIconvCommand(1252, "CP1252");
}

TEST(CodePage, DefaultCharacterAndReplacementCharacter) {
  auto bytes = [](std::u16string_view text, std::int32_t cp) {
    const std::vector<Byte> b = TextToCodePageBytes(text, cp);
    return std::string(b.begin(), b.end());
  };
  // Windows' best fit where it has one (U+0100 is "A" in 1252), else the default character.
  EXPECT_EQ(bytes(u"a\u4E2D\u0100b", 1252), "a?Ab");
  EXPECT_EQ(bytes(u"\U0001F600", 936), "??");
  EXPECT_EQ(bytes(u"\u4E2D\U0001F600", 65001), "\xE4\xB8\xAD\xF0\x9F\x98\x80");
  const std::u16string lone = {u'x', char16_t{0xD800}};
  EXPECT_EQ(bytes(lone, 936), "x?");
  EXPECT_EQ(bytes(lone, 65001), "x\xEF\xBF\xBD");
  // Bytes read as Windows reads them: a lead byte takes the byte after it, whatever it is but
  // 00, and a pair without a character is the code page's default character; a lead byte at the
  // end or before 00 stands alone as that character too (U+30FB in 932). UTF-8 marks
  // ill-formed input with U+FFFD.
  const auto text = [](std::string b, std::int32_t cp) {
    return CodePageBytesToText(std::vector<Byte>(b.begin(), b.end()), cp);
  };
  EXPECT_EQ(text("a\x81", 936), u"a?");
  EXPECT_EQ(text("a\x81", 932), u"a\u30FB");
  EXPECT_EQ(text(std::string("\x81\0b", 3), 936), std::u16string(u"?\0b", 3));
  EXPECT_EQ(text("\x81 b\xD6\xD0", 936), u"?b\u4E2D");
  EXPECT_EQ(text("\x81\x41\x42", 936), u"\u4E04B");  // a trail byte in the ASCII range
  EXPECT_EQ(text("\xE4\xB8z", 65001), u"\uFFFDz");
}

TEST(CodePage, UnknownNumbersRaiseAndLeaveTheSettingAlone) {
  testing::ScopedCodePage scoped(1252);
  for (std::int32_t cp : {0, 1, 65000, 12345, -936}) {
    try {
      SetAnsiCodePage(cp);
      ADD_FAILURE() << cp << " was accepted";
    } catch (const RaisedError& e) {
      EXPECT_EQ(e.Number(), 5);
      EXPECT_NE(e.Description().find(std::to_string(cp)), std::string::npos) << e.Description();
    }
    EXPECT_THROW(TextToCodePageBytes(u"abc", cp), RaisedError);
  }
  EXPECT_EQ(AnsiCodePage(), 1252);
}

// Sets an environment variable for one scope, or removes it for nullptr.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : m_Name(name) {
    const char* old = std::getenv(name);
    if (old != nullptr) m_Old = old;
    value != nullptr ? setenv(name, value, 1) : unsetenv(name);
  }
  ~ScopedVariable() { m_Old ? setenv(m_Name, m_Old->c_str(), 1) : unsetenv(m_Name); }

 private:
  const char* m_Name;
  std::optional<std::string> m_Old;
};

TEST(CodePage, EnvironmentChoosesTheDefault) {
  const ScopedVariable unset("HOSTSEAL_CODEPAGE", nullptr);
  for (const char* locale : {"C", "POSIX", "C.UTF-8"}) {
    const ScopedVariable lcAll("LC_ALL", locale);
    EXPECT_EQ(DetectAnsiCodePage(), 65001) << locale;
    const ScopedVariable variable("HOSTSEAL_CODEPAGE", "936");
    EXPECT_EQ(DetectAnsiCodePage(), 936);
  }
  for (const char* bad : {"abc", "936x", "99999"}) {
    const ScopedVariable variable("HOSTSEAL_CODEPAGE", bad);
    EXPECT_THROW(DetectAnsiCodePage(), RaisedError) << bad;
  }
}

TEST(CodePage, ThreadsConvertWhileTheSettingChanges) {
  testing::ScopedCodePage scoped(936);
  const std::u16string text = u"Ab\u4E2D\u00E9\u20AC \U0001F600 z";
  const std::int32_t pages[] = {936, 1252, 65001};
  std::vector<std::vector<Byte>> bytes;
  for (std::int32_t cp : pages) bytes.push_back(TextToCodePageBytes(text, cp));
  const std::u16string texts[] = {u"Ab\u4E2D\u00E9\u20AC ?? z", u"Ab?\u00E9\u20AC ?? z", text};
  std::vector<int> failures(4, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 300; ++i) {
        const auto k = static_cast<std::size_t>((i + t) % 3);
        failures[t] += TextToCodePageBytes(text, pages[k]) != bytes[k];
        failures[t] += CodePageBytesToText(bytes[k], pages[k]) != texts[k];
        if (t == 0) SetAnsiCodePage(i % 2 == 0 ? 1252 : 936);
        const std::vector<Byte> ansi = TextToAnsiBytes(text);
        failures[t] += ansi != bytes[0] && ansi != bytes[1];
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace hostseal
