// The code-page layer's own rules: the default and replacement characters, unknown numbers, the
// default from the environment, and conversions while the setting changes. The mappings
// themselves are held to Windows by code_page_digest_test.cpp (every 16-bit unit and every
// sequence of one and two bytes of each code page), GB18030 and UTF-8 to iconv by
// code_page_converter_test.cpp.
#include "hostseal/text/code_page.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "hostseal/common/raised_error.hpp"
#include "tests/support/scoped_code_page.hpp"

namespace hostseal {
namespace {

// Each 16-bit unit and each sequence of one and two bytes of the Windows code pages, best fits
// and default characters among them, is held to Windows by code_page_digest_test.cpp. Here: a
// surrogate pair, which 936 writes as two default characters, and UTF-8, which marks what it
// cannot write or read with U+FFFD.
TEST(CodePage, DefaultCharacterAndReplacementCharacter) {
  auto bytes = [](std::u16string_view text, std::int32_t cp) {
    const std::vector<Byte> b = TextToCodePageBytes(text, cp);
    return std::string(b.begin(), b.end());
  };
  EXPECT_EQ(bytes(u"\U0001F600", 936), "??");
  EXPECT_EQ(bytes(u"\u4E2D\U0001F600", 65001), "\xE4\xB8\xAD\xF0\x9F\x98\x80");
  EXPECT_EQ(bytes(std::u16string{u'x', char16_t{0xD800}}, 65001), "x\xEF\xBF\xBD");
  EXPECT_EQ(CodePageBytesToText(std::vector<Byte>{0xE4, 0xB8, 'z'}, 65001), u"\uFFFDz");
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
