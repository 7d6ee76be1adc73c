#include "hostseal/common/utf8.hpp"

#include "hostseal/common/utf8_codec.hpp"

#include <gtest/gtest.h>

#include <string>

namespace hostseal {
namespace {

TEST(Utf8, EncodesEveryPlaneAndReplacesLoneSurrogates) {
  EXPECT_EQ(ToUtf8(u"abc"), "abc");
  EXPECT_EQ(ToUtf8(u"\u00E9\u4E2D"), "\xC3\xA9\xE4\xB8\xAD");
  EXPECT_EQ(ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
  const std::u16string lone = {u'a', char16_t{0xD800}, u'b', char16_t{0xDC00}};
  EXPECT_EQ(ToUtf8(lone),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
  const std::u16string reversed = {char16_t{0xDC00}, char16_t{0xD800}};
  EXPECT_EQ(ToUtf8(reversed), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Utf8, DecodingReplacesEachIllFormedSubpartOnce) {
  EXPECT_EQ(FromUtf8("\xC3\xA9\xE4\xB8\xAD"), u"\u00E9\u4E2D");
  EXPECT_EQ(FromUtf8("\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(FromUtf8("a\x80"
                     "b"),
            u"a\uFFFDb");
  EXPECT_EQ(FromUtf8("\xE4\xB8"), u"\uFFFD");                  // truncated at the end
  EXPECT_EQ(FromUtf8("\xE4\xB8z"), u"\uFFFDz");                // truncated in the middle
  EXPECT_EQ(FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");            // overlong
  EXPECT_EQ(FromUtf8("\xF5\x80"), u"\uFFFD\uFFFD");            // beyond U+10FFFF
}

// A sequence is cut off exactly when more bytes could still make it a character: the same two
// bytes followed by continuation bytes then decode as one well-formed character, and bytes that
// are ill formed stay ill formed, with the same subpart, whatever follows.
TEST(Utf8Codec, CutOffIsTheStartOfAWellFormedCharacter) {
  for (unsigned first = 0x80; first <= 0xFF; ++first) {
    for (unsigned second = 0; second <= 0xFF; ++second) {
      const unsigned char two[] = {static_cast<unsigned char>(first),
                                   static_cast<unsigned char>(second)};
      const unsigned char four[] = {two[0], two[1], 0x80, 0x80};
      const Utf8Character cut = DecodeUtf8Character(two, 2);
      const Utf8Character whole = DecodeUtf8Character(four, 4);
      if (cut.form == Utf8Form::kCutOff) {
        EXPECT_EQ(whole.form, Utf8Form::kWellFormed) << first << ' ' << second;
        EXPECT_GE(whole.length, 3u);
      } else if (cut.form == Utf8Form::kIllFormed) {
        EXPECT_EQ(whole.form, Utf8Form::kIllFormed) << first << ' ' << second;
        EXPECT_EQ(whole.length, cut.length);
      } else {
        EXPECT_EQ(cut.length, 2u);
        EXPECT_EQ(whole.codePoint, cut.codePoint);
      }
    }
  }
}

// Every scalar value goes through both encodings and back, one by one and as one text.
TEST(Utf8Codec, EveryScalarValueRoundTrips) {
  std::u16string all;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (IsHighSurrogate(c) || IsLowSurrogate(c)) continue;
    unsigned char bytes[4];
    const std::size_t length = EncodeUtf8(c, bytes);
    ASSERT_EQ(length, Utf8Length(c));
    const Utf8Character decoded = DecodeUtf8Character(bytes, length);
    ASSERT_EQ(decoded.form, Utf8Form::kWellFormed);
    ASSERT_EQ(decoded.codePoint, c);
    char16_t units[2];
    const std::size_t unitCount = EncodeUtf16(c, units);
    const Utf16Character back = DecodeUtf16Character(units, unitCount);
    ASSERT_TRUE(back.wellFormed);
    ASSERT_EQ(back.units, unitCount);
    ASSERT_EQ(back.codePoint, c);
    all.append(units, unitCount);
  }
  EXPECT_TRUE(FromUtf8(ToUtf8(all)) == all);
}

}  // namespace
}  // namespace hostseal
