// The cipher's messages on Windows: the system's message box, modal, with the application's
// title and an OK button only; Show returns once the box is closed.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <string>
#include <thread>

#include "hostseal/ui/win32/win32_message_sink.hpp"

namespace hostseal::testing {
namespace {

struct SeenBox {
  bool found = false;
  std::wstring title;
  std::wstring text;
  bool hasCancel = true;
};

// Waits up to ten seconds for a message box titled "hostseal", reads it and presses OK.
SeenBox CloseMessageBox() {
  SeenBox seen;
  for (int attempt = 0; attempt < 500 && !seen.found; ++attempt) {
    HWND box = ::FindWindowW(L"#32770", L"hostseal");
    if (box == nullptr) {
      ::Sleep(20);
      continue;
    }
    seen.found = true;
    std::array<wchar_t, 256> buffer{};
    ::GetWindowTextW(box, buffer.data(), static_cast<int>(buffer.size()));
    seen.title = buffer.data();
    ::GetDlgItemTextW(box, 0xFFFF, buffer.data(), static_cast<int>(buffer.size()));  // its text
    seen.text = buffer.data();
    seen.hasCancel = ::GetDlgItem(box, IDCANCEL) != nullptr || ::GetDlgItem(box, IDNO) != nullptr;
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
  return seen;
}

TEST(Win32MessageSink, ShowsTheTextWithOkOnlyAndReturnsOnceTheBoxIsClosed) {
  Win32MessageSink sink(u"hostseal");
  SeenBox seen;
  std::thread closer([&seen] { seen = CloseMessageBox(); });
  sink.Show(u"Text not Hex data 文本");
  closer.join();
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.title, L"hostseal");
  EXPECT_EQ(seen.text, L"Text not Hex data 文本");
  EXPECT_FALSE(seen.hasCancel);
}

}  // namespace
}  // namespace hostseal::testing
