// The code pages on Windows: the system's conversions decide what the code page cannot hold
// (best fit, the default character, 1252's five undefined bytes), GetACP chooses the code page,
// and bytes fed in pieces give the text of the whole.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "hostseal/common/utf8.hpp"
#include "hostseal/text/ansi_bytes.hpp"
#include "hostseal/text/code_page.hpp"
#include "hostseal/text/code_page_table.hpp"
#include "tests/support/byte_list.hpp"
#include "tests/support/code_page_digest.hpp"
#include "tests/support/known_answer_file.hpp"
#include "tests/support/scoped_code_page.hpp"

namespace hostseal {
namespace {

using testing::Bytes;

TEST(WindowsCodePages, TheSystemDecidesWhatACodePageCannotHold) {
  // Best fit: a Latin letter with a mark that 1252 lacks becomes the plain letter.
  EXPECT_EQ(TextToCodePageBytes(u"\u0101", 1252), Bytes({'a'}));
  // No fit at all: the default character, one per unit (a surrogate pair gives two).
  EXPECT_EQ(TextToCodePageBytes(u"中", 1252), Bytes({'?'}));
  EXPECT_EQ(TextToCodePageBytes(u"\U0001F600", 936), Bytes({'?', '?'}));
  // UTF-8 writes a lone surrogate as U+FFFD.
  EXPECT_EQ(TextToCodePageBytes(std::u16string(1, u'\xD800'), 65001), Bytes({0xEF, 0xBF, 0xBD}));
  // 1252's undefined bytes read as the C1 controls of the same number.
  EXPECT_EQ(CodePageBytesToText(Bytes({0x81, 0x8D, 0x8F, 0x90, 0x9D}), 1252),
            u"\u0081\u008D\u008F\u0090\u009D");
  // Valid text both ways, as iconv gives it on Linux.
  EXPECT_EQ(TextToCodePageBytes(u"中文", 936), Bytes({0xD6, 0xD0, 0xCE, 0xC4}));
  EXPECT_EQ(CodePageBytesToText(Bytes({0xD6, 0xD0, 0xCE, 0xC4}), 936), u"中文");
  EXPECT_EQ(TextToCodePageBytes(u"é€", 1252), Bytes({0xE9, 0x80}));
  // A lead byte at the end of 936 text is not dropped.
  EXPECT_EQ(CodePageBytesToText(Bytes({'a', 0xD6}), 936).size(), 2u);
}

TEST(WindowsCodePages, TheCodePageStartsAsTheSystemsUnlessTheEnvironmentNamesOne) {
  ASSERT_EQ(::SetEnvironmentVariableW(L"HOSTSEAL_CODEPAGE", nullptr), TRUE);
  _putenv("HOSTSEAL_CODEPAGE=");
  EXPECT_EQ(DetectAnsiCodePage(), static_cast<std::int32_t>(::GetACP()));
  _putenv("HOSTSEAL_CODEPAGE=936");
  EXPECT_EQ(DetectAnsiCodePage(), 936);
  _putenv("HOSTSEAL_CODEPAGE=");
}

TEST(WindowsCodePages, PiecesGiveTheTextOfTheWhole) {
  std::mt19937 random(7);
  // Bytes that make every kind of character and every kind of fault in these code pages.
  const std::vector<Byte> alphabet = Bytes({0x00, 0x30, 0x39, 0x41, 0x7F, 0x80, 0x81, 0xA1, 0xB0,
                                            0xC2, 0xD6, 0xE4, 0xED, 0xF0, 0xFE, 0xFF});
  for (std::int32_t codePage : {936, 950, 932, 949, 54936, 65001, 1252}) {
    SCOPED_TRACE("code page " + std::to_string(codePage));
    if (!::IsValidCodePage(static_cast<UINT>(codePage))) continue;  // Wine 8 lacks GB18030
    for (int round = 0; round < 200; ++round) {
      std::vector<Byte> bytes(static_cast<std::size_t>(random() % 200));
      for (Byte& b : bytes) b = alphabet[random() % alphabet.size()];
      const std::u16string whole = CodePageBytesToText(bytes, codePage);

      std::u16string pieces;
      std::vector<Byte> pending;
      std::size_t at = 0;
      while (at < bytes.size()) {
        const std::size_t n = std::min<std::size_t>(1 + random() % 9, bytes.size() - at);
        pending.insert(pending.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
                       bytes.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
        const std::size_t taken = AppendCodePageText(pending, codePage, false, pieces);
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(taken));
      }
      AppendCodePageText(pending, codePage, true, pieces);
      std::string hex;
      for (Byte b : bytes) hex += "0123456789ABCDEF"[b >> 4], hex += "0123456789ABCDEF"[b & 15];
      ASSERT_EQ(pieces, whole) << hex;
    }
  }
}

// The system's own conversions, called directly: the oracle of the table below.
std::vector<Byte> SystemBytes(std::int32_t codePage, const std::u16string& text) {
  if (text.empty()) return {};
  const auto* in = reinterpret_cast<const wchar_t*>(text.data());
  const auto length = static_cast<int>(text.size());
  const auto page = static_cast<UINT>(codePage);
  std::vector<Byte> out(static_cast<std::size_t>(
      ::WideCharToMultiByte(page, 0, in, length, nullptr, 0, nullptr, nullptr)));
  ::WideCharToMultiByte(page, 0, in, length, reinterpret_cast<char*>(out.data()),
                        static_cast<int>(out.size()), nullptr, nullptr);
  return out;
}

std::u16string SystemText(std::int32_t codePage, const std::vector<Byte>& bytes) {
  if (bytes.empty()) return {};
  const auto* in = reinterpret_cast<const char*>(bytes.data());
  const auto length = static_cast<int>(bytes.size());
  const auto page = static_cast<UINT>(codePage);
  std::u16string out(
      static_cast<std::size_t>(::MultiByteToWideChar(page, 0, in, length, nullptr, 0)), u'\0');
  ::MultiByteToWideChar(page, 0, in, length, reinterpret_cast<wchar_t*>(out.data()),
                        static_cast<int>(out.size()));
  return out;
}

// Hebrew and Vietnamese Windows run with 1255 and 1258 as their ANSI code page: those convert
// as the system does, like every other code page, in both directions.
TEST(WindowsCodePages, EveryCodePageConvertsAsTheSystemDoes) {
  const std::u16string texts[] = {u"",
                                  u"plain ASCII 0123",
                                  u"\u05E9\u05B8\u05DC\u05D5\u05B9\u05DD",  // Hebrew with points
                                  u"Ti\u1EBFng Vi\u1EC7t e\u0301",  // Vietnamese, a combining mark
                                  u"\u00E9\u20AC\u0101 \u4E2D\u6587 \u00FC",
                                  u"\U0001F600 \u0416\u03A9 \u0E01"};
  for (const std::int32_t codePage :
       {437,  850,  866,  874,  932,  936,  949,   950,   1250,  1251, 1252,
        1253, 1254, 1255, 1256, 1257, 1258, 20127, 28591, 28605, 65001}) {
    SCOPED_TRACE("code page " + std::to_string(codePage));
    ASSERT_TRUE(::IsValidCodePage(static_cast<UINT>(codePage)));
    for (const std::u16string& text : texts) {
      const std::vector<Byte> bytes = TextToCodePageBytes(text, codePage);
      EXPECT_EQ(bytes, SystemBytes(codePage, text));
      EXPECT_EQ(CodePageBytesToText(bytes, codePage), SystemText(codePage, bytes));
    }
  }
}

// The whole mapping of every code page of the Linux table that Windows has, both directions,
// by the system's own calls: the file that the Linux build is held to. With
// HOSTSEAL_RECORD_CODE_PAGE_DIGESTS naming a file, that file is written instead.
TEST(WindowsCodePages, TheSystemGivesTheRecordedMappings) {
  std::vector<std::string> computed;
  const std::string known = KnownCodePages();
  for (std::size_t at = 0; at < known.size();) {
    const std::int32_t codePage = std::stoi(known.substr(at));
    at = known.find(", ", at);
    at = at == std::string::npos ? known.size() : at + 2;
    // UTF-8 has the library's own codec; GB18030 has no table in the Linux build.
    if (codePage == kUtf8CodePage || codePage == 54936) continue;
    const auto lines = testing::RecordCodePage(
        codePage, [&](const std::u16string& t) { return SystemBytes(codePage, t); },
        [&](const std::vector<Byte>& b) { return SystemText(codePage, b); });
    computed.insert(computed.end(), lines.begin(), lines.end());
  }
  if (const char* path = std::getenv("HOSTSEAL_RECORD_CODE_PAGE_DIGESTS")) {
    std::ofstream out(path, std::ios::binary);
    out << "# Every code page of the Linux table that Windows has: FNV-1a 64 digests of the whole\n"
           "# mapping (tests/support/code_page_digest.hpp) and a sample, hex. Written by the\n"
           "# Windows build's hostseal_text_tests under Wine with "
           "HOSTSEAL_RECORD_CODE_PAGE_DIGESTS\n"
           "# naming this file; do not edit by hand.\n";
    for (const std::string& line : computed) out << line << '\n';
    ASSERT_TRUE(out.good());
    GTEST_SKIP() << "recorded " << computed.size() << " lines in " << path;
  }
  std::vector<std::string> recorded;
  for (const auto& line : testing::ReadKnownAnswers("code_page_digests.txt", 3)) {
    recorded.push_back(line.fields[0] + " " + line.fields[1] + " " + line.fields[2]);
  }
  ASSERT_EQ(computed.size(), recorded.size());
  for (std::size_t i = 0; i < computed.size(); ++i) EXPECT_EQ(computed[i], recorded[i]);
}

std::vector<std::int32_t> g_Installed;

BOOL CALLBACK CollectCodePage(LPWSTR number) {
  g_Installed.push_back(static_cast<std::int32_t>(std::wcstol(number, nullptr, 10)));
  return TRUE;
}

// Whatever code page the system runs with, EncodeToBytes of nothing gives nothing and never
// raises.
TEST(WindowsCodePages, EveryInstalledCodePageTakesTheEmptyText) {
  g_Installed.clear();
  ASSERT_TRUE(::EnumSystemCodePagesW(&CollectCodePage, CP_INSTALLED));
  int taken = 0;
  for (const std::int32_t codePage : g_Installed) {
    if (!IsKnownCodePage(codePage)) continue;  // stateful ones, UTF-7, UTF-16
    ++taken;
    const testing::ScopedCodePage scoped(codePage);
    EXPECT_NO_THROW(EXPECT_TRUE(EncodeToBytes(u"").Empty())) << codePage;
  }
  EXPECT_TRUE(IsKnownCodePage(1255) && IsKnownCodePage(1258));
  EXPECT_FALSE(IsKnownCodePage(CP_UTF7) || IsKnownCodePage(CP_OEMCP));
  EXPECT_GT(taken, 30);
}

}  // namespace
}  // namespace hostseal
