// The platform-free decisions behind the Windows command line: UTF-16 arguments made UTF-8
// (unpaired surrogates refused), the words of a command line found and masked where a key
// stood, and the console-or-bytes route with the UTF-8 cut a console write waits at. They run
// on every build; the Windows calls around them run in the tool.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "hostseal/common/utf8.hpp"
#include "hostseal/common/utf8_codec.hpp"
#include "tools/console/console_route.hpp"
#include "tools/hostseal/process/command_line_words.hpp"

namespace hostseal::cli {
namespace {

TEST(ToUtf8Exact, WellFormedTextGivesTheLibrarysUtf8) {
  for (const std::u16string& text :
       {std::u16string(), std::u16string(u"--key=abc"), std::u16string(u"café"),
        std::u16string(u"中文 字符"), std::u16string(u"\U0001F600\U00010000\U0010FFFF"),
        std::u16string(u"\u007F\u0080\u07FF\u0800\uFFFF"), std::u16string(1, u'\0')}) {
    const std::optional<std::string> utf8 = ToUtf8Exact(text);
    ASSERT_TRUE(utf8.has_value());
    EXPECT_EQ(*utf8, ToUtf8(text));
    EXPECT_EQ(FromUtf8(*utf8), text);
  }
}

TEST(ToUtf8Exact, AnUnpairedSurrogateIsRefusedWherever) {
  const char16_t high = 0xD83D;
  const char16_t low = 0xDE00;
  const std::vector<std::u16string> refused = {
      {high},                  // alone
      {u'a', high},            // at the end
      {high, u'a'},            // before a character that is no low surrogate
      {low},                   // a low one alone
      {low, high},             // the two the wrong way round
      {high, high, low},       // one too many high
      {u'x', high, low, low},  // one too many low
  };
  for (const std::u16string& text : refused) {
    EXPECT_FALSE(ToUtf8Exact(text).has_value()) << ::testing::PrintToString(text);
  }
  EXPECT_TRUE(ToUtf8Exact(std::u16string{high, low}).has_value());
}

TEST(ToUtf8Exact, APrefixOfBytesMapsBackToItsUnits) {
  const std::u16string argument = u"--key=密\U0001F600x";
  EXPECT_EQ(Utf16UnitsOfUtf8Prefix(argument, 0), 0u);
  EXPECT_EQ(Utf16UnitsOfUtf8Prefix(argument, 6), 6u);
  EXPECT_EQ(Utf16UnitsOfUtf8Prefix(argument, 9), 7u);   // after 密 (3 bytes)
  EXPECT_EQ(Utf16UnitsOfUtf8Prefix(argument, 13), 9u);  // after the pair (4 bytes)
  EXPECT_EQ(Utf16UnitsOfUtf8Prefix(argument, 100), argument.size());
}

std::vector<std::u16string> Texts(const std::vector<CommandLineWord>& words) {
  std::vector<std::u16string> texts;
  for (const CommandLineWord& word : words) texts.push_back(word.text);
  return texts;
}

TEST(SplitCommandLine, FollowsTheQuotingRules) {
  using Words = std::vector<std::u16string>;
  EXPECT_EQ(Texts(SplitCommandLine(u"hostseal.exe encrypt abc")),
            (Words{u"hostseal.exe", u"encrypt", u"abc"}));
  EXPECT_EQ(Texts(SplitCommandLine(u"\"C:\\Program Files\\hs.exe\"  a\t\"b c\"")),
            (Words{u"C:\\Program Files\\hs.exe", u"a", u"b c"}));
  EXPECT_EQ(Texts(SplitCommandLine(u"p \"\" a\\\\\"b c\" d\\\"e f\\g")),
            (Words{u"p", u"", u"a\\b c", u"d\"e", u"f\\g"}));
  EXPECT_EQ(Texts(SplitCommandLine(u"p \"say \"\"hi\"\"\" x\"y\"z")),
            (Words{u"p", u"say \"hi\"", u"xyz"}));
  EXPECT_EQ(Texts(SplitCommandLine(u"p   ")), (Words{u"p"}));
}

TEST(MaskWord, OverwritesTheValueWhereItWasWrittenAndKeepsTheOption) {
  std::u16string line = u"hs.exe --key 0011 --passphrase=\"two words\" \"--key=ab\" rest";
  const std::vector<CommandLineWord> words = SplitCommandLine(line);
  ASSERT_EQ(words.size(), 6u);
  MaskWord(line, words[2], u"");
  MaskWord(line, words[3], u"--passphrase=");
  MaskWord(line, words[4], u"--key=");  // written in quotes: the whole word goes
  EXPECT_EQ(line, u"hs.exe --key **** --passphrase=*********** ********** rest");
  for (const CommandLineWord& word : SplitCommandLine(line)) {
    EXPECT_EQ(word.text.find(u"two"), std::u16string::npos);
    EXPECT_EQ(word.text.find(u"0011"), std::u16string::npos);
  }
  // A word that does not fit the line is left alone rather than written past it.
  CommandLineWord outside;
  outside.begin = 2;
  outside.end = line.size() + 5;
  const std::u16string before = line;
  MaskWord(line, outside, u"");
  EXPECT_EQ(line, before);
}

TEST(MaskAfterProgramName, LeavesTheProgramAndTheBlanks) {
  std::u16string line = u"\"C:\\a b\\hs.exe\" --key 00\t11";
  MaskAfterProgramName(line);
  EXPECT_EQ(line, u"\"C:\\a b\\hs.exe\" ***** **\t**");
}

TEST(ChooseStreamRoute, OnlyACharacterDeviceWithAConsoleModeIsAConsole) {
  EXPECT_EQ(ChooseStreamRoute(true, true), StreamRoute::kConsole);
  EXPECT_EQ(ChooseStreamRoute(true, false), StreamRoute::kBytes);   // NUL, a serial port
  EXPECT_EQ(ChooseStreamRoute(false, false), StreamRoute::kBytes);  // a file, a pipe
  EXPECT_EQ(ChooseStreamRoute(false, true), StreamRoute::kBytes);
}

TEST(CompleteUtf8Length, HoldsBackOnlyTheStartOfACharacter) {
  const std::string chinese = "\xE4\xB8\xAD";
  const std::string smile = "\xF0\x9F\x98\x80";
  EXPECT_EQ(CompleteUtf8Length(""), 0u);
  EXPECT_EQ(CompleteUtf8Length("abc"), 3u);
  EXPECT_EQ(CompleteUtf8Length("a" + chinese), 4u);
  EXPECT_EQ(CompleteUtf8Length("a" + chinese.substr(0, 1)), 1u);
  EXPECT_EQ(CompleteUtf8Length("a" + chinese.substr(0, 2)), 1u);
  EXPECT_EQ(CompleteUtf8Length(smile), 4u);
  EXPECT_EQ(CompleteUtf8Length(smile.substr(0, 3)), 0u);
  EXPECT_EQ(CompleteUtf8Length("x\xC3"), 1u);
  // Ill-formed bytes go on at once: they become U+FFFD, not a wait for ever.
  EXPECT_EQ(CompleteUtf8Length("a\x80"), 2u);
  EXPECT_EQ(CompleteUtf8Length("a\xFF"), 2u);
  EXPECT_EQ(CompleteUtf8Length("\x80\x80\x80\x80"), 4u);
  EXPECT_EQ(CompleteUtf8Length("a\xE0\x80"), 3u);  // no character starts E0 80
  EXPECT_EQ(CompleteUtf8Length("a\xF4\x90"), 3u);  // nor F4 90: beyond U+10FFFF
}

}  // namespace
}  // namespace hostseal::cli
