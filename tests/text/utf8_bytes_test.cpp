// UTF-8 with byte-order mark, packed text and ANSI bytes; glibc's iconv is the oracle for
// random text (the library's UTF-8 encoder does not use iconv).
#include "hostseal/text/utf8_bytes.hpp"

#include <gtest/gtest.h>
#include <iconv.h>

#include <random>
#include <string>
#include <vector>

#include "hostseal/text/ansi_bytes.hpp"
#include "tests/text/scoped_code_page.hpp"

namespace hostseal {
namespace {

std::vector<Byte> Bytes(std::initializer_list<int> values) {
  std::vector<Byte> out;
  for (int v : values) out.push_back(static_cast<Byte>(v));
  return out;
}

TEST(Utf8Bytes, ByteOrderMarkThenTheText) {
  EXPECT_EQ(TextToUTF8Bytes(u"abc"), ByteArray(Bytes({0xEF, 0xBB, 0xBF, 0x61, 0x62, 0x63})));
  EXPECT_EQ(TextToUTF8Bytes(u"\u4E2D"), ByteArray(Bytes({0xEF, 0xBB, 0xBF, 0xE4, 0xB8, 0xAD})));
  EXPECT_EQ(std::get<ByteArray>(GB2312ToUTF8(u"abc")), TextToUTF8Bytes(u"abc"));
  EXPECT_EQ(std::get<std::u16string>(GB2312ToUTF8(u"abc", 8)), u"\xBBEF\x61BF\x6362");
  EXPECT_EQ(TextToUTF8Bytes(u""), ByteArray(Bytes({0xEF, 0xBB, 0xBF})));
  const std::u16string lone = {char16_t{0xDC00}};
  EXPECT_EQ(TextToUTF8Bytes(lone), ByteArray(Bytes({0xEF, 0xBB, 0xBF, 0xEF, 0xBF, 0xBD})));
}

TEST(Utf8Bytes, OddLengthsSurvivePacking) {
  // BOM + "ab": five bytes; the fifth rides in the low half of a third character.
  const auto packed = std::get<std::u16string>(GB2312ToUTF8(u"ab", 8));
  EXPECT_EQ(packed, u"\xBBEF\x61BF\xFF62");
  EXPECT_EQ(TextToUTF8Bytes(u"ab"), ByteArray(Bytes({0xEF, 0xBB, 0xBF, 0x61, 0x62})));
  // A zero byte in the last pair is data, not filler.
  EXPECT_EQ(TextToUTF8Bytes(std::u16string(u"abc\0", 4)).Bytes().back(), 0);
  EXPECT_EQ(TextToUTF8Bytes(std::u16string(u"ab\0", 3)).Size(), 6u);
}

TEST(Utf8Bytes, RandomTextMatchesIconv) {
  iconv_t cd = iconv_open("UTF-8", "UTF-16LE");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::mt19937 rng(8);
  for (int round = 0; round < 300; ++round) {
    std::u16string text;
    for (std::size_t n = rng() % 40; n > 0; --n) {
      const auto cp =
          static_cast<char32_t>(rng() % 3 == 0 ? 0x10000 + rng() % 0xFFFFF : 1 + rng() % 0xD7FF);
      if (cp >= 0x10000) {
        text += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
        text += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
      } else {
        text += static_cast<char16_t>(cp);
      }
    }
    std::string in;
    for (char16_t c : text) {
      in += static_cast<char>(c & 0xFF);
      in += static_cast<char>(c >> 8);
    }
    std::string out(in.size() * 2 + 3, '\0');
    char* ip = in.data();
    char* op = out.data() + 3;
    std::size_t il = in.size();
    std::size_t ol = out.size() - 3;
    ASSERT_NE(iconv(cd, &ip, &il, &op, &ol), static_cast<std::size_t>(-1));
    out.resize(out.size() - ol);
    out.replace(0, 3, "\xEF\xBB\xBF");
    EXPECT_EQ(TextToUTF8Bytes(text), ByteArray(std::vector<Byte>(out.begin(), out.end())));
    EXPECT_EQ(UnpackUtf8Text(std::get<std::u16string>(GB2312ToUTF8(text, 8))),
              TextToUTF8Bytes(text));
  }
  iconv_close(cd);
}

TEST(AnsiBytes, EncodeToBytesHasNoTerminatingZero) {
  EXPECT_EQ(EncodeToBytes(u""), ByteArray());
  EXPECT_EQ(EncodeToBytes(u"abc"), ByteArray(Bytes({0x61, 0x62, 0x63})));
  // The whole text counts, also what follows a U+0000.
  EXPECT_EQ(EncodeToBytes(std::u16string(u"a\0b", 3)), ByteArray(Bytes({0x61, 0, 0x62})));
  testing::ScopedCodePage scoped(936);
  EXPECT_EQ(EncodeToBytes(u"\u4E2D"), ByteArray(Bytes({0xD6, 0xD0})));
}

}  // namespace
}  // namespace hostseal
