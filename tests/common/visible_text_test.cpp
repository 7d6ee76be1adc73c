#include "hostseal/common/visible_text.hpp"

#include <gtest/gtest.h>

namespace hostseal {
namespace {

TEST(VisibleText, WritesControlCharactersAsTheirCodes) {
  EXPECT_EQ(VisibleText("a\x1B[2Jb"), "aU+001B[2Jb");
  EXPECT_EQ(VisibleText("tab\there\nline\r"), "tabU+0009hereU+000AlineU+000D");
  EXPECT_EQ(VisibleText("\x7F"), "U+007F");
  EXPECT_EQ(VisibleText("\xC2\x9B"), "U+009B");  // C1 control sequence introducer
  EXPECT_EQ(VisibleText(std::u16string(1, u'\0')), "U+0000");
  // Everything printable passes, non-ASCII included; bytes that are not UTF-8 become U+FFFD.
  EXPECT_EQ(VisibleText("notes \xE4\xB8\xAD.txt"), "notes \xE4\xB8\xAD.txt");
  EXPECT_EQ(VisibleText("\xFF"), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace hostseal
