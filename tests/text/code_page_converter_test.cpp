// The converter's map and UTF-8 paths against plain iconv over the whole input, for the code
// pages that convert through iconv (GB18030) and UTF-8, on random text and random bytes made to
// hit lead bytes, four-byte sequences, surrogates and cut-off characters; pieces against the
// whole for every known code page.
#include "hostseal/text/linux/code_page_converter.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "hostseal/text/code_page.hpp"
#include "hostseal/text/code_page_table.hpp"

namespace hostseal {
namespace {

std::vector<std::int32_t> KnownNumbers() {
  std::vector<std::int32_t> numbers;
  const std::string list = KnownCodePages();
  for (std::size_t pos = 0; pos < list.size();) {
    numbers.push_back(std::stoi(list.substr(pos)));
    pos = list.find(", ", pos);
    pos = pos == std::string::npos ? list.size() : pos + 2;
  }
  return numbers;
}

std::u16string RandomText(std::mt19937& rng, std::size_t size) {
  // ASCII, Latin-1, Cyrillic, the euro sign, CJK, Hangul, private use, surrogates, U+FFFx.
  static constexpr char16_t kRanges[][2] = {{0x20, 0x7E},     {0x80, 0xFF},     {0x400, 0x45F},
                                            {0x20AC, 0x20AC}, {0x3000, 0x9FFF}, {0xAC00, 0xD7A3},
                                            {0xE000, 0xE0FF}, {0xD800, 0xDFFF}, {0xFFF0, 0xFFFF}};
  std::u16string text;
  while (text.size() < size) {
    const auto& r = kRanges[rng() % std::size(kRanges)];
    const auto c = static_cast<char16_t>(r[0] + rng() % (r[1] - r[0] + 1U));
    text.push_back(c);
    // Mostly well-formed pairs after a high surrogate.
    if (c >= 0xD800 && c <= 0xDBFF && rng() % 4 != 0) {
      text.push_back(static_cast<char16_t>(0xDC00 + rng() % 0x400));
    }
  }
  return text;
}

std::vector<Byte> RandomBytes(std::mt19937& rng, std::size_t size) {
  std::vector<Byte> bytes(size);
  for (Byte& b : bytes) {
    const unsigned r = rng() % 8;
    // Digits stand for the second and fourth bytes of GB18030's four-byte sequences.
    b = static_cast<Byte>(r < 3 ? 0x30 + rng() % 10 : r < 4 ? rng() % 0x80 : 0x80 + rng() % 0x80);
  }
  return bytes;
}

TEST(CodePageConverter, MapAndIconvAgreeWhereIconvConverts) {
  int converted = 0;
  for (const std::int32_t number : KnownNumbers()) {
    SCOPED_TRACE(number);
    const CodePageConverter converter(*FindCodePage(number));
    if (!converter.UsesIconv() && number != kUtf8CodePage) continue;  // Windows' table
    ++converted;
    std::mt19937 rng(static_cast<unsigned>(number));
    for (int round = 0; round < 40; ++round) {
      const std::size_t size = rng() % 300;
      const std::u16string text = RandomText(rng, size);
      std::vector<Byte> fast;
      std::vector<Byte> reference;
      converter.AppendBytes(text, fast);
      converter.AppendBytesThroughIconv(text, reference);
      ASSERT_EQ(fast, reference);

      const std::vector<Byte> bytes = RandomBytes(rng, size);
      std::u16string fastText;
      std::u16string referenceText;
      converter.AppendText(bytes, fastText);
      converter.AppendTextThroughIconv(bytes, referenceText);
      ASSERT_EQ(fastText, referenceText);
      // Valid bytes of the code page come back as they were, whatever the map path took.
      std::u16string back;
      converter.AppendText(fast, back);
      std::u16string backReference;
      converter.AppendTextThroughIconv(fast, backReference);
      ASSERT_EQ(back, backReference);
    }
  }
  EXPECT_EQ(converted, 2);
}

TEST(CodePageConverter, PiecesReadLikeTheWhole) {
  for (const std::int32_t number : KnownNumbers()) {
    SCOPED_TRACE(number);
    std::mt19937 rng(static_cast<unsigned>(number) + 1);
    for (int round = 0; round < 20; ++round) {
      std::vector<Byte> bytes = RandomBytes(rng, 200 + rng() % 200);
      if (round % 2 == 0) bytes = TextToCodePageBytes(RandomText(rng, 300), number);
      std::u16string pieces;
      std::vector<Byte> carry;
      for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t size = std::min<std::size_t>(rng() % 9, bytes.size() - at);
        carry.insert(carry.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
                     bytes.begin() + static_cast<std::ptrdiff_t>(at + size));
        at += size;
        const std::size_t taken = AppendCodePageText(carry, number, false, pieces);
        ASSERT_LE(taken, carry.size());
        carry.erase(carry.begin(), carry.begin() + static_cast<std::ptrdiff_t>(taken));
        ASSERT_LT(carry.size(), CodePageConverter::kMaxBytesPerUnit + 8);
      }
      EXPECT_EQ(AppendCodePageText(carry, number, true, pieces), carry.size());
      ASSERT_EQ(pieces, CodePageBytesToText(bytes, number));
    }
  }
}

TEST(CodePageConverter, AppendsToWhatIsThere) {
  const CodePageConverter converter(*FindCodePage(936));
  std::vector<Byte> bytes = {'x'};
  converter.AppendBytes(u"\u4E2Da", bytes);
  EXPECT_EQ(bytes, (std::vector<Byte>{'x', 0xD6, 0xD0, 'a'}));
  std::u16string text = u"y";
  converter.AppendText(std::vector<Byte>{0xD6, 0xD0, 0x81}, text);
  EXPECT_EQ(text, u"y\u4E2D?");
  // Longer than the converter's own buffer, so that it is appended in several pieces.
  const std::u16string long_text(50000, u'\u00E9');
  std::vector<Byte> utf8;
  CodePageConverter(*FindCodePage(kUtf8CodePage)).AppendBytes(long_text, utf8);
  ASSERT_EQ(utf8.size(), 100000U);
  EXPECT_EQ(utf8[99998], 0xC3);
  EXPECT_EQ(utf8[99999], 0xA9);
}

}  // namespace
}  // namespace hostseal
