#include "hostseal/common/utf8.hpp"

#include <gtest/gtest.h>

#include <random>
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

TEST(Utf8, RandomTextSurvivesTheRoundTrip) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<std::uint32_t> cp(0, 0x10FFFF);
  for (int round = 0; round < 200; ++round) {
    std::u16string text;
    for (int i = 0; i < 50; ++i) {
      std::uint32_t c = cp(rng);
      if (c >= 0xD800 && c <= 0xDFFF) c = 0x4E2D;
      if (c < 0x10000) {
        text.push_back(static_cast<char16_t>(c));
      } else {
        c -= 0x10000;
        text.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        text.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
      }
    }
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
  }
}

}  // namespace
}  // namespace hostseal
