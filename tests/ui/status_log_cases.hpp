// The status log's cases, run against every window's box: the Qt box and the RichEdit box.
//
// A harness gives the box, hides it, and reads the colour and weight of a character.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/log/status_log.hpp"

namespace hostseal::testing {

inline constexpr OleColor kBlue = 0xFF0000;

// For a box over a control that keeps one character for each line break: positions count the
// two characters of "\r\n" in Text(), and a position between them is the start of the next
// line; positions outside the text are its ends.
inline void ExpectPositionsCountBothCharactersOfALineBreak(RichTextBox& box) {
  box.SetSelText(u"ab\r\ncd\r\n");
  ASSERT_EQ(box.Text(), u"ab\r\ncd\r\n");
  box.SetSelStart(5);  // between c and d
  box.SetSelText(u"X");
  box.SetSelStart(4);  // the start of the second line
  box.SetSelText(u"Y");
  box.SetSelStart(3);  // between \r and \n: also the start of the second line
  box.SetSelText(u"Z");
  box.SetSelStart(1000);
  box.SetSelText(u"end");
  box.SetSelStart(-3);
  box.SetSelText(u"<");
  EXPECT_EQ(box.Text(), u"<ab\r\nZYcXd\r\nend");
  EXPECT_EQ(box.TextLength(), static_cast<std::int32_t>(box.Text().size()));
}

template <class Harness>
class StatusLogTest : public ::testing::Test {
 protected:
  // Writes text in a colour and weight of its own, the way a caller other than the log would.
  void Write(const std::u16string& text, OleColor color, bool bold) {
    RichTextBox& box = m_Harness.Box();
    box.SetSelStart(static_cast<std::int32_t>(box.Text().size()));
    box.SetSelColor(color);
    box.SetSelBold(bold);
    box.SetSelText(text);
  }

  // The box's text, and its length as the box tells it without a copy.
  void ExpectText(const std::u16string& expected) {
    EXPECT_EQ(m_Harness.Box().Text(), expected);
    EXPECT_EQ(m_Harness.Box().TextLength(), static_cast<std::int32_t>(expected.size()));
  }

  // Every character of [from, from + count) has this colour and is not bold.
  void ExpectSpan(std::int32_t from, std::int32_t count, OleColor color) {
    for (std::int32_t i = from; i < from + count; ++i) {
      EXPECT_EQ(m_Harness.ColorAt(i), color) << "character " << i;
      EXPECT_FALSE(m_Harness.BoldAt(i)) << "character " << i;
    }
  }

  Harness m_Harness;
};

TYPED_TEST_SUITE_P(StatusLogTest);

TYPED_TEST_P(StatusLogTest, TwoEmptyTextsAppendABareLineBreak) {
  AddStatusLine(this->m_Harness.Box(), u"", u"", 0);
  this->ExpectText(u"\r\n");
  AddStatusLine(this->m_Harness.Box(), u"", u"", 1);
  this->ExpectText(u"\r\n\r\n");
}

TYPED_TEST_P(StatusLogTest, JoinsBothTextsIntoOneGreenLine) {
  AddStatusLine(this->m_Harness.Box(), u"ab ", u"cd", 0);
  this->ExpectText(u"ab cd\r\n");
  this->ExpectSpan(0, 5, kGreen);
}

TYPED_TEST_P(StatusLogTest, KindsOneAndTwoGiveTheSameRedLine) {
  AddStatusLine(this->m_Harness.Box(), u"E: ", u"one", 1);
  AddStatusLine(this->m_Harness.Box(), u"E: ", u"two", 2);
  this->ExpectText(u"E: one\r\nE: two\r\n");
  this->ExpectSpan(0, 6, kRed);
  this->ExpectSpan(8, 6, kRed);
}

TYPED_TEST_P(StatusLogTest, OtherKindsTakeTheColourAtTheEndOfTheBox) {
  this->Write(u"blue\r\n", kBlue, false);
  AddStatusLine(this->m_Harness.Box(), u"k", u"3", 3);
  this->ExpectSpan(6, 2, kBlue);

  AddStatusLine(this->m_Harness.Box(), u"", u"red", 1);
  AddStatusLine(this->m_Harness.Box(), u"k", u"-1", -1);
  AddStatusLine(this->m_Harness.Box(), u"k", u"max", INT32_MAX);
  this->ExpectText(u"blue\r\nk3\r\nred\r\nk-1\r\nkmax\r\n");
  this->ExpectSpan(15, 3, kRed);
  this->ExpectSpan(20, 4, kRed);
}

TYPED_TEST_P(StatusLogTest, ALineAddedToAHiddenBoxIsLostQuietly) {
  AddStatusLine(this->m_Harness.Box(), u"kept", u"", 0);
  this->m_Harness.Hide();
  EXPECT_NO_THROW(AddStatusLine(this->m_Harness.Box(), u"lost", u"", 1));
  this->ExpectText(u"kept\r\n");
}

TYPED_TEST_P(StatusLogTest, EarlierLinesKeepTheirColourAndWeight) {
  this->Write(u"bold ", kBlue, true);
  AddStatusLine(this->m_Harness.Box(), u"ok", u"", 0);
  AddStatusLine(this->m_Harness.Box(), u"bad", u"", 1);
  AddStatusLine(this->m_Harness.Box(), u"ok again", u"", 0);
  this->ExpectText(u"bold ok\r\nbad\r\nok again\r\n");
  for (std::int32_t i = 0; i < 5; ++i) {
    EXPECT_EQ(this->m_Harness.ColorAt(i), kBlue);
    EXPECT_TRUE(this->m_Harness.BoldAt(i)) << "character " << i;
  }
  this->ExpectSpan(5, 2, kGreen);  // the log's line is never bold
  this->ExpectSpan(9, 3, kRed);
  this->ExpectSpan(14, 8, kGreen);
}

TYPED_TEST_P(StatusLogTest, AppendsAtTheEndWhereverTheInsertionPointWas) {
  AddStatusLine(this->m_Harness.Box(), u"first", u"", 0);
  this->m_Harness.Box().SetSelStart(0);
  AddStatusLine(this->m_Harness.Box(), u"第二行 ", u"状态", 1);
  this->ExpectText(u"first\r\n第二行 状态\r\n");
  this->ExpectSpan(0, 5, kGreen);
  this->ExpectSpan(7, 6, kRed);
}

REGISTER_TYPED_TEST_SUITE_P(StatusLogTest, TwoEmptyTextsAppendABareLineBreak,
                            JoinsBothTextsIntoOneGreenLine, KindsOneAndTwoGiveTheSameRedLine,
                            OtherKindsTakeTheColourAtTheEndOfTheBox,
                            ALineAddedToAHiddenBoxIsLostQuietly,
                            EarlierLinesKeepTheirColourAndWeight,
                            AppendsAtTheEndWhereverTheInsertionPointWas);

}  // namespace hostseal::testing
