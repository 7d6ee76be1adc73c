// The status log on the RichEdit box: the shared cases, read back from the control with
// EM_GETTEXTEX and EM_GETCHARFORMAT, and the box's mapping of "\r\n" positions onto the
// control's single "\r".
#include <gtest/gtest.h>
#include <windows.h>

#include <richedit.h>

#include <string>

#include "hostseal/log/status_log.hpp"
#include "hostseal/ui/win32/richedit_box.hpp"
#include "tests/ui/status_log_cases.hpp"

namespace hostseal::testing {
namespace {

// A RichEdit control in a window that is never shown: the control's own visibility is what
// counts.
class RichEditWindow {
 public:
  RichEditWindow() {
    RichEditBox::LoadControlLibrary();
    m_Parent = ::CreateWindowExW(0, L"STATIC", L"parent", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                 nullptr, nullptr, nullptr, nullptr);
    m_Edit = ::CreateWindowExW(0, MSFTEDIT_CLASS, L"",
                               WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY, 0, 0, 380, 280,
                               m_Parent, nullptr, nullptr, nullptr);
  }
  ~RichEditWindow() { ::DestroyWindow(m_Parent); }
  RichEditWindow(const RichEditWindow&) = delete;
  RichEditWindow& operator=(const RichEditWindow&) = delete;

  HWND Edit() const { return m_Edit; }

 private:
  HWND m_Parent;
  HWND m_Edit;
};

struct RichEditHarness {
  RichTextBox& Box() { return box; }
  void Hide() { ::ShowWindow(window.Edit(), SW_HIDE); }
  OleColor ColorAt(std::int32_t position) const { return box.ColorAt(position); }
  bool BoldAt(std::int32_t position) const { return box.BoldAt(position); }
  RichEditWindow window;
  RichEditBox box{window.Edit()};
};

INSTANTIATE_TYPED_TEST_SUITE_P(RichEdit, StatusLogTest, RichEditHarness);

TEST(RichEditBox, PositionsCountBothCharactersOfALineBreak) {
  const RichEditWindow window;
  RichEditBox box(window.Edit());
  ASSERT_TRUE(box.Visible());
  ExpectPositionsCountBothCharactersOfALineBreak(box);
  // The control itself keeps one character for each of the two breaks.
  GETTEXTLENGTHEX length{GTL_NUMCHARS, 1200};
  EXPECT_EQ(::SendMessageW(window.Edit(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0),
            13);
}

// A RichEdit control takes 32,767 characters unless told otherwise; the window's log must
// take more (see the window's tests), and the box must read all of them back.
TEST(RichEditBox, ReadsBackLongTextWholeAndKeepsTheLastLinesColour) {
  const RichEditWindow window;
  ::SendMessageW(window.Edit(), EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  RichEditBox box(window.Edit());
  const std::u16string line(98, u'x');
  for (int i = 0; i < 1000; ++i) AddStatusLine(box, line, u"", i % 2);
  const std::u16string text = box.Text();
  ASSERT_EQ(text.size(), 100'000U);
  EXPECT_EQ(text.substr(99'900), line + u"\r\n");
  EXPECT_EQ(box.ColorAt(99'900), kRed);
  EXPECT_EQ(box.ColorAt(99'800), kGreen);
}

}  // namespace
}  // namespace hostseal::testing
