// UTF-8 with byte-order mark, packed text and ANSI bytes.
#include "hostseal/text/utf8_bytes.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostseal/text/ansi_bytes.hpp"
#include "tests/support/byte_list.hpp"
#include "tests/support/scoped_code_page.hpp"

namespace hostseal {
namespace {

using testing::Bytes;

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
