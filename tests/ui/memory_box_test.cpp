// The status log on the in-memory box, and the box's own behaviour that other areas' tests
// rely on.
#include <gtest/gtest.h>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/ui/memory_box.hpp"
#include "hostseal/ui/status_log.hpp"
#include "tests/ui/status_log_cases.hpp"

namespace hostseal::testing {
namespace {

struct MemoryHarness {
  RichTextBox& Box() { return box; }
  void Hide() { box.SetVisible(false); }
  OleColor ColorAt(std::int32_t position) const { return box.FormatAt(position).color; }
  bool BoldAt(std::int32_t position) const { return box.FormatAt(position).bold; }
  MemoryBox box;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, StatusLogTest, MemoryHarness);

TEST(MemoryBoxStatusLog, AnErrorOfTheBoxReachesTheCallerAndNothingIsAppended) {
  MemoryBox box;
  AddStatusLine(box, u"before", u"", 0);
  EXPECT_EQ(box.FocusCount(), 1);
  box.SetFocusFails(true);
  try {
    AddStatusLine(box, u"after", u"", 1);
    FAIL() << "the box's error was swallowed";
  } catch (const RaisedError& error) {
    EXPECT_EQ(error.Number(), 5);
  }
  EXPECT_EQ(box.Text(), u"before\r\n");
  EXPECT_EQ(box.Lines(), std::vector<std::u16string>{u"before"});
}

TEST(MemoryBox, InsertsAtTheInsertionPointInTheFormatOfTheCharacterBefore) {
  MemoryBox box;
  box.SetSelColor(kRed);
  box.SetSelText(u"ad");
  box.SetSelStart(1);
  EXPECT_EQ(box.InsertionFormat().color, kRed);
  box.SetSelBold(true);
  box.SetSelText(u"bc");
  EXPECT_EQ(box.Text(), u"abcd");
  EXPECT_EQ(box.SelStart(), 3);
  EXPECT_TRUE(box.FormatAt(1).bold);
  EXPECT_FALSE(box.FormatAt(3).bold);
  EXPECT_EQ(box.FormatAt(3).color, kRed);
  // Out of range: clamped to the ends; the default format past the end.
  box.SetSelStart(-4);
  EXPECT_EQ(box.SelStart(), 0);
  box.SetSelStart(99);
  EXPECT_EQ(box.SelStart(), 4);
  EXPECT_EQ(box.FormatAt(4), MemoryBox::Format{});
}

}  // namespace
}  // namespace hostseal::testing
