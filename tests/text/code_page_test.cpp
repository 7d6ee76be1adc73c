// The code-page layer against the iconv command as an independent oracle: each character is
// converted on its own by the command, and the layer's conversion of the whole text must equal
// the concatenation, with "?" wherever the command cannot map a character.
#include "hostseal/text/code_page.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"
#include "tests/text/scoped_code_page.hpp"

namespace hostseal {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs `iconv -c ARGS` over input; -c leaves out what the target cannot hold.
std::string RunIconv(const std::string& args, const std::string& input) {
  const fs::path dir = fs::temp_directory_path();
  const std::string stem = "hostseal_iconv_" + std::to_string(::getpid());
  const fs::path in = dir / (stem + ".in");
  const fs::path out = dir / (stem + ".out");
  std::ofstream(in, std::ios::binary) << input;
  const std::string command =
      "iconv -c " + args + " < '" + in.string() + "' > '" + out.string() + "' 2>/dev/null";
  EXPECT_NE(std::system(command.c_str()), -1);
  std::string result = ReadFile(out);
  fs::remove(in);
  fs::remove(out);
  return result;
}

// Characters (one or two units) of the kinds that matter: ASCII, Latin-1, Latin Extended,
// Greek, CJK, the euro sign, supplementary characters and lone surrogates.
std::vector<std::u16string> RandomCharacters(std::mt19937& rng, std::size_t count) {
  const std::vector<std::pair<char32_t, char32_t>> ranges = {
      {0x20, 0x7E},     {0xA0, 0xFF},     {0x100, 0x17F},     {0x391, 0x3C9},
      {0x4E00, 0x9FA5}, {0x20AC, 0x20AC}, {0x1F600, 0x1F64F}, {0xD800, 0xDFFF}};
  std::vector<std::u16string> out;
  for (std::size_t i = 0; i < count; ++i) {
    const auto& [lo, hi] = ranges[rng() % ranges.size()];
    const auto cp = static_cast<char32_t>(lo + rng() % (hi - lo + 1));
    if (cp >= 0x10000) {
      out.push_back({static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)),
                     static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF))});
    } else {
      out.push_back({static_cast<char16_t>(cp)});
    }
  }
  return out;
}

bool IsLoneSurrogate(const std::u16string& c) {
  return c.size() == 1 && c[0] >= 0xD800 && c[0] <= 0xDFFF;
}

void ExpectMatchesIconvCommand(std::int32_t codePage, const char* iconvName, unsigned seed) {
  std::mt19937 rng(seed);
  const std::vector<std::u16string> chars = RandomCharacters(rng, 3000);
  // One character per line; no multi-byte sequence of 936 or 1252 holds the byte 0x0A.
  std::string lines;
  for (const auto& c : chars) lines += (IsLoneSurrogate(c) ? std::string("?") : ToUtf8(c)) + "\n";
  const std::string converted = RunIconv(std::string("-f UTF-8 -t ") + iconvName, lines);
  std::vector<std::string> perChar;
  for (std::size_t start = 0, end; (end = converted.find('\n', start)) != std::string::npos;
       start = end + 1) {
    perChar.push_back(converted.substr(start, end - start));
  }
  ASSERT_EQ(perChar.size(), chars.size());

  std::u16string text;
  std::string expected;
  int unmapped = 0;
  for (std::size_t i = 0; i < chars.size(); ++i) {
    text += chars[i];
    // The default character, once per 16-bit unit, for what the command could not map.
    const bool missing = perChar[i].empty() || IsLoneSurrogate(chars[i]);
    unmapped += missing;
    expected += missing ? std::string(chars[i].size(), '?') : perChar[i];
  }
  EXPECT_GT(unmapped, 100);
  const std::vector<Byte> bytes = TextToCodePageBytes(text, codePage);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);
  {
    testing::ScopedCodePage scoped(codePage);
    EXPECT_EQ(TextToAnsiBytes(text), bytes);
    EXPECT_EQ(AnsiBytesToText(bytes), CodePageBytesToText(bytes, codePage));
  }
  // Back to text, compared with the command's conversion of the whole byte string.
  EXPECT_EQ(CodePageBytesToText(bytes, codePage),
            FromUtf8(RunIconv(std::string("-f ") + iconvName + " -t UTF-8", expected)));
}

TEST(CodePage, Cp936MatchesTheIconvCommandCharacterByCharacter) {
  ExpectMatchesIconvCommand(936, "CP936", 936);
}

TEST(CodePage, Cp1252MatchesTheIconvCommandCharacterByCharacter) {
  ExpectMatchesIconvCommand(1252, "CP1252", 1252);
}

TEST(CodePage, DefaultCharacterAndReplacementCharacter) {
  auto bytes = [](std::u16string_view text, std::int32_t cp) {
    const std::vector<Byte> b = TextToCodePageBytes(text, cp);
    return std::string(b.begin(), b.end());
  };
  EXPECT_EQ(bytes(u"a\u4E2D\u0100b", 1252), "a??b");
  EXPECT_EQ(bytes(u"\U0001F600", 936), "??");
  EXPECT_EQ(bytes(u"\u4E2D\U0001F600", 65001), "\xE4\xB8\xAD\xF0\x9F\x98\x80");
  const std::u16string lone = {u'x', char16_t{0xD800}};
  EXPECT_EQ(bytes(lone, 936), "x?");
  EXPECT_EQ(bytes(lone, 65001), "x\xEF\xBF\xBD");
  // Invalid or cut-off sequences: one U+FFFD for the byte that cannot start a character.
  const auto text = [](std::string b, std::int32_t cp) {
    return CodePageBytesToText(std::vector<Byte>(b.begin(), b.end()), cp);
  };
  EXPECT_EQ(text("a\x81", 936), u"a\uFFFD");
  EXPECT_EQ(text("\x81 b\xD6\xD0", 936), u"\uFFFD b\u4E2D");
  EXPECT_EQ(text("\x81\x41\x42", 936), u"\u4E04B");  // a trail byte in the ASCII range
  EXPECT_EQ(text("\xE4\xB8z", 65001), u"\uFFFDz");
}

TEST(CodePage, UnknownNumbersRaiseAndLeaveTheSettingAlone) {
  testing::ScopedCodePage scoped(1252);
  for (std::int32_t cp : {0, 1, 1255, 12345, -936}) {
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

TEST(CodePage, EnvironmentChoosesTheDefault) {
  struct Restore {
    ~Restore() { unsetenv("HOSTSEAL_CODEPAGE"); }
  } restore;
  setenv("HOSTSEAL_CODEPAGE", "936", 1);
  EXPECT_EQ(DetectAnsiCodePage(), 936);
  for (const char* bad : {"abc", "936x", "99999"}) {
    setenv("HOSTSEAL_CODEPAGE", bad, 1);
    EXPECT_THROW(DetectAnsiCodePage(), RaisedError) << bad;
  }
  unsetenv("HOSTSEAL_CODEPAGE");
  const char* old = std::getenv("LC_ALL");
  const std::string saved = old != nullptr ? old : "";
  for (const char* locale : {"C", "POSIX", "C.UTF-8"}) {
    setenv("LC_ALL", locale, 1);
    EXPECT_EQ(DetectAnsiCodePage(), 65001) << locale;
  }
  if (old != nullptr) {
    setenv("LC_ALL", saved.c_str(), 1);
  } else {
    unsetenv("LC_ALL");
  }
}

TEST(CodePage, ThreadsConvertWhileTheSettingChanges) {
  testing::ScopedCodePage scoped(936);
  const std::u16string text = u"Ab\u4E2D\u00E9\u20AC \U0001F600 z";
  const std::int32_t pages[] = {936, 1252, 65001};
  std::vector<std::vector<Byte>> bytes;
  std::vector<std::u16string> texts;
  for (std::int32_t cp : pages) {
    bytes.push_back(TextToCodePageBytes(text, cp));
    texts.push_back(CodePageBytesToText(bytes.back(), cp));
  }
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
