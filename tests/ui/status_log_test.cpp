// The status log's contract with its box where only the in-memory box can show it: an error
// of the box reaches the caller, and the log never copies the box's text. The cases every box
// shares run on the windows' boxes (status_log_cases.hpp).
#include <gtest/gtest.h>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/log/status_log.hpp"
#include "tests/support/memory_box.hpp"

namespace hostseal::testing {
namespace {

TEST(StatusLog, AnErrorOfTheBoxReachesTheCallerAndNothingIsAppended) {
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

// The log asks the box for the length of its text, never for a copy: a copy with every line
// would make a long log slower with each line.
TEST(StatusLog, AddsLinesWithoutCopyingTheText) {
  class CopyCountingBox final : public RichTextBox {
   public:
    bool Visible() const override { return inner.Visible(); }
    void SetFocus() override { inner.SetFocus(); }
    std::u16string Text() const override {
      ++copies;
      return inner.Text();
    }
    std::int32_t TextLength() const override { return inner.TextLength(); }
    void SetSelStart(std::int32_t position) override { inner.SetSelStart(position); }
    void SetSelColor(OleColor color) override { inner.SetSelColor(color); }
    void SetSelBold(bool bold) override { inner.SetSelBold(bold); }
    void SetSelText(const std::u16string& text) override { inner.SetSelText(text); }
    MemoryBox inner;
    mutable int copies = 0;
  } box;
  for (int kind = 0; kind < 4; ++kind) AddStatusLine(box, u"line ", u"text", kind);
  EXPECT_EQ(box.copies, 0);
  EXPECT_EQ(box.inner.Lines().size(), 4U);
}

}  // namespace
}  // namespace hostseal::testing
