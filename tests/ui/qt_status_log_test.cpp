// The status log on the Qt box: the shared cases, and the box's mapping of "\r\n" positions.
#include <gtest/gtest.h>

#include <QTextEdit>

#include "hostseal/log/status_log.hpp"
#include "hostseal/ui/qt/qt_rich_text_box.hpp"
#include "tests/ui/status_log_cases.hpp"

namespace hostseal::testing {
namespace {

struct QtHarness {
  QtHarness() {
    edit.setReadOnly(true);
    edit.show();  // a top-level widget counts as hidden until it is shown
  }
  RichTextBox& Box() { return box; }
  void Hide() { edit.hide(); }
  OleColor ColorAt(std::int32_t position) const { return box.ColorAt(position); }
  bool BoldAt(std::int32_t position) const { return box.BoldAt(position); }
  QTextEdit edit;
  QtRichTextBox box{edit};
};

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, StatusLogTest, QtHarness);

TEST(QtRichTextBox, ConvertsOleColoursBothWays) {
  EXPECT_EQ(QtRichTextBox::ToQColor(kGreen), QColor(0, 255, 0));
  EXPECT_EQ(QtRichTextBox::ToQColor(kRed), QColor(255, 0, 0));
  EXPECT_EQ(QtRichTextBox::ToQColor(0x123456), QColor(0x56, 0x34, 0x12));
  EXPECT_EQ(QtRichTextBox::ToOleColor(QColor(0x56, 0x34, 0x12)), 0x123456U);
}

TEST(QtRichTextBox, PositionsCountBothCharactersOfALineBreak) {
  QTextEdit edit;
  QtRichTextBox box(edit);
  ExpectPositionsCountBothCharactersOfALineBreak(box);
  EXPECT_EQ(edit.toPlainText(), QStringLiteral("<ab\nZYcXd\nend"));
}

TEST(QtRichTextBox, VisibleIsTheControlsOwnSetting) {
  QWidget window;  // never shown
  auto* edit = new QTextEdit(&window);
  QtRichTextBox box(*edit);
  EXPECT_TRUE(box.Visible());
  AddStatusLine(box, u"before ", u"show", 0);
  EXPECT_EQ(box.Text(), u"before show\r\n");
  edit->hide();
  EXPECT_FALSE(box.Visible());
}

}  // namespace
}  // namespace hostseal::testing
