// Form1 on Windows: the shared cases of form1_cases.hpp over its controls' messages, and what
// only the Windows window has: the RichEdit control, the manifest, the growth with the window,
// the log past RichEdit's default limit and the layout without the calls of Windows 10.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <array>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "hostseal/log/status_log.hpp"
#include "hostseal/ui/win32/form1.hpp"
#include "hostseal/ui/win32/late_bound_calls.hpp"
#include "hostseal/ui/win32/richedit_box.hpp"
#include "tests/ui/form1_cases.hpp"

namespace hostseal::testing {
namespace {

// A message-only window that runs a function when a message posted to it comes through: the
// file job's progress serves it, so the function runs inside the job.
class DuringJob {
 public:
  DuringJob() {
    static const bool registered = [] {
      WNDCLASSEXW description{};
      description.cbSize = sizeof description;
      description.lpfnWndProc = &DuringJob::Procedure;
      description.hInstance = ::GetModuleHandleW(nullptr);
      description.lpszClassName = L"hostseal.test.DuringJob";
      return ::RegisterClassExW(&description) != 0;
    }();
    EXPECT_TRUE(registered);
    m_Window = ::CreateWindowExW(0, L"hostseal.test.DuringJob", L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                 nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowLongPtrW(m_Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~DuringJob() { ::DestroyWindow(m_Window); }
  DuringJob(const DuringJob&) = delete;
  DuringJob& operator=(const DuringJob&) = delete;

  void Post() {
    if (action) ::PostMessageW(m_Window, WM_APP, 0, 0);
  }
  std::function<void()> action;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the window keeps its object as an integer
    auto* self = reinterpret_cast<DuringJob*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_APP && self != nullptr && self->action) {
      self->action();
      return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
  }

  HWND m_Window;
};

// A control's rectangle in its parent's client area.
RECT PlaceIn(HWND control) {
  RECT place{};
  ::GetWindowRect(control, &place);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(control), reinterpret_cast<POINT*>(&place), 2);
  return place;
}

SIZE WindowSize(HWND window) {
  RECT bounds{};
  ::GetWindowRect(window, &bounds);
  return {bounds.right - bounds.left, bounds.bottom - bounds.top};
}

std::u16string Text(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return {text.begin(), text.end()};
}

// Form1 driven through its controls' messages.
class Win32Window {
 public:
  Win32Window(MessageSink& sink, Form1Script& script)
      : m_Script(script), m_Form(sink, InjectedQueries(), Dialogs()) {
    m_DuringJob.action = [this] { m_Script.duringJob(); };
    ::ShowWindow(m_Form.Handle(), SW_SHOWNOACTIVATE);
  }

  HWND Item(Form1::Control id) { return m_Form.Item(id); }
  HWND Item(Widget widget) {
    static constexpr std::array kIds = {Form1::kInputTxt,       Form1::kKeyTxt,
                                        Form1::kKeyBitsCbo,     Form1::kEncryptFileCmd,
                                        Form1::kDecryptFileCmd, Form1::kCancelCmd};
    return Item(kIds[static_cast<std::size_t>(widget)]);
  }
  // A click as the button reports it to its window.
  void Click(Widget button) {
    ::SendMessageW(m_Form.Handle(), WM_COMMAND,
                   MAKEWPARAM(::GetDlgCtrlID(Item(button)), BN_CLICKED),
                   reinterpret_cast<LPARAM>(Item(button)));
  }
  bool Enabled(Widget widget) { return ::IsWindowEnabled(Item(widget)) != FALSE; }
  void ChooseKeyKind(KeyChoice::Kind kind) {
    HWND kinds = Item(Form1::kKeyKindCbo);
    ::SendMessageW(kinds, CB_SETCURSEL, static_cast<WPARAM>(kind), 0);
    ::SendMessageW(m_Form.Handle(), WM_COMMAND, MAKEWPARAM(Form1::kKeyKindCbo, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(kinds));
  }
  void ChooseKeyBits(int bits) {
    const std::wstring text = std::to_wstring(bits);
    HWND sizes = Item(Form1::kKeyBitsCbo);
    const auto at = ::SendMessageW(sizes, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(text.c_str()));
    ::SendMessageW(sizes, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
  }
  void SetKeyText(const std::u16string& text) {
    const std::wstring wide(text.begin(), text.end());
    ::SetWindowTextW(Item(Form1::kKeyTxt), wide.c_str());
  }
  bool KeyHidden() { return ::SendMessageW(Item(Form1::kKeyTxt), EM_GETPASSWORDCHAR, 0, 0) != 0; }
  int Progress() {
    EXPECT_EQ(::SendMessageW(Item(Form1::kFilePrg), PBM_GETRANGE, FALSE, 0), 1000);
    return static_cast<int>(::SendMessageW(Item(Form1::kFilePrg), PBM_GETPOS, 0, 0));
  }
  // The log's lines, each with the colour of its first character.
  std::vector<ShownLine> Lines() { return ShownLines(RichEditBox(Item(Form1::kStatusTxt))); }
  void Close() { ::SendMessageW(m_Form.Handle(), WM_CLOSE, 0, 0); }
  bool IsOpen() const { return m_Form.Handle() != nullptr && ::IsWindow(m_Form.Handle()); }

  std::u16string Title() const { return Text(m_Form.Handle()); }
  std::u16string FrameCaption() { return Text(Item(Form1::kStatusFrame)); }
  std::array<int, 4> LogPlace() {
    HWND log = Item(Form1::kStatusTxt);
    EXPECT_EQ(::GetParent(log), Item(Form1::kStatusFrame));
    const RECT place = PlaceIn(log);
    return {place.left, place.top, place.right - place.left, place.bottom - place.top};
  }
  int PixelsX(int twips) const {
    return ::MulDiv(twips, static_cast<int>(WindowDpi(m_Form.Handle())), 1440);
  }
  int PixelsY(int twips) const { return PixelsX(twips); }
  TextFont LogFont() {
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    ::SendMessageW(Item(Form1::kStatusTxt), EM_GETCHARFORMAT, SCF_DEFAULT,
                   reinterpret_cast<LPARAM>(&format));
    const std::wstring face(format.szFaceName);
    return {{face.begin(), face.end()},
            static_cast<int>(format.yHeight),
            (format.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT)) == 0};
  }
  bool LogReadOnly() {
    return (::GetWindowLongW(Item(Form1::kStatusTxt), GWL_STYLE) & ES_READONLY) != 0;
  }
  bool LogScrollsVertically() {
    return (::GetWindowLongW(Item(Form1::kStatusTxt), GWL_STYLE) & WS_VSCROLL) != 0;
  }

  void RunDemonstration() { m_Form.RunDemonstration(); }
  void SaveScreenshot(const std::u16string& name) { m_Form.SaveScreenshot(name); }
  std::pair<int, int> WindowPixels() const {
    const SIZE size = WindowSize(m_Form.Handle());
    return {size.cx, size.cy};
  }

  Form1& Form() { return m_Form; }

 private:
  Form1::FileDialogs Dialogs() {
    Form1::FileDialogs dialogs;
    dialogs.openFile = [this](HWND, const std::u16string&) {
      return TakeFirst(m_Script.openNames);
    };
    dialogs.saveFile = [this](HWND, const std::u16string&) {
      if (m_Script.duringJob) m_DuringJob.Post();
      return TakeFirst(m_Script.saveNames);
    };
    return dialogs;
  }

  Form1Script& m_Script;
  DuringJob m_DuringJob;
  Form1 m_Form;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, Form1Cases, Win32Window);

// What the Windows window has beyond the shared cases: the RichEdit control and its colours,
// the manifest, the growth with the window and the log past RichEdit's default limit.
class Form1Test : public Form1Cases<Win32Window> {
 protected:
  HWND Item(Form1::Control id) { return m_Window.Item(id); }
  int Pixels(int twips) { return m_Window.PixelsX(twips); }
  Form1& m_Form = m_Window.Form();
};

TEST_F(Form1Test, TheStatusLogIsARichEditControlInLightGreyOnBlack) {
  HWND log = Item(Form1::kStatusTxt);
  std::array<wchar_t, 64> className{};
  ::GetClassNameW(log, className.data(), static_cast<int>(className.size()));
  EXPECT_EQ(::lstrcmpiW(className.data(), MSFTEDIT_CLASS), 0) << className.data();
  CHARFORMAT2W format{};
  format.cbSize = sizeof format;
  ::SendMessageW(log, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  EXPECT_EQ(format.bCharSet, GB2312_CHARSET);
  // Light grey on black; EM_SETBKGNDCOLOR answers with the colour it replaces.
  EXPECT_EQ(format.crTextColor, RGB(0xD0, 0xD0, 0xD0));
  EXPECT_EQ(::SendMessageW(log, EM_SETBKGNDCOLOR, 0, RGB(0, 0, 0)), RGB(0, 0, 0));
}

// The manifest that every program with the window embeds: common controls 6, and the window
// drawn at the DPI of its monitor, which the system applies.
TEST_F(Form1Test, TheProgramCarriesItsManifestAndIsPerMonitorDpiAware) {
  HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(found, nullptr);
  const auto* bytes = static_cast<const char*>(::LockResource(::LoadResource(nullptr, found)));
  const std::string manifest(bytes, ::SizeofResource(nullptr, found));
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
  EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos);
  // Windows 10's calls, looked up as the window looks up its own (Windows 7 has neither).
  const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  using ContextOf = void*(WINAPI*)(HWND);
  using AwarenessOf = int(WINAPI*)(void*);
  const auto contextOf = reinterpret_cast<ContextOf>(
      reinterpret_cast<void*>(::GetProcAddress(user32, "GetWindowDpiAwarenessContext")));
  const auto awarenessOf = reinterpret_cast<AwarenessOf>(
      reinterpret_cast<void*>(::GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
  if (contextOf == nullptr || awarenessOf == nullptr) GTEST_SKIP() << "no per-monitor DPI here";
  constexpr int kPerMonitorAware = 2;  // DPI_AWARENESS_PER_MONITOR_AWARE
  EXPECT_EQ(awarenessOf(contextOf(m_Form.Handle())), kPerMonitorAware);
}

TEST_F(Form1Test, TheLogGrowsWithTheWindowFromItsSavedSize) {
  HWND window = m_Form.Handle();
  const SIZE first = WindowSize(window);
  ::SetWindowPos(window, nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER);  // the smallest size
  EXPECT_EQ(WindowSize(window).cx, first.cx);
  EXPECT_EQ(WindowSize(window).cy, first.cy);
  EXPECT_EQ(m_Window.LogPlace(),
            (std::array{Pixels(120), Pixels(240), Pixels(5415), Pixels(3735)}));

  ::SetWindowPos(window, nullptr, 0, 0, first.cx + 300, first.cy + 200, SWP_NOMOVE | SWP_NOZORDER);
  RECT client{};
  ::GetClientRect(window, &client);
  const RECT frame = PlaceIn(Item(Form1::kStatusFrame));
  const RECT log = PlaceIn(Item(Form1::kStatusTxt));
  // The frame reaches the bottom edge but for the margin, and the log has all the new width;
  // the operations stay clear of it.
  EXPECT_EQ(client.bottom - frame.bottom, frame.top);
  EXPECT_EQ(log.right - log.left, Pixels(5415) + 300);
  EXPECT_EQ(log.bottom - log.top, frame.bottom - frame.top - Pixels(240) - Pixels(120));
  EXPECT_LT(frame.right, PlaceIn(Item(Form1::kEncryptCmd)).left);
}

// The log takes lines beyond the RichEdit control's default limit of 32,767 characters.
TEST_F(Form1Test, TheLogKeepsTakingLinesPastThirtyTwoThousandCharacters) {
  RichEditBox box(Item(Form1::kStatusTxt));
  const std::u16string line(78, u'l');
  for (int i = 0; i < 500; ++i) AddStatusLine(box, line, u"", 0);
  EXPECT_EQ(box.Text().size(), 40'000U);
}

// Before Windows 10 1607 there is no per-window DPI: without those calls the window takes the
// system DPI and the plain calls, and where the DPI is the system's it is laid out the same.
TEST(Form1Fallbacks, WithoutTheCallsOfWindows10TheWindowIsTheSame) {
  RecordingSink sink;
  const auto shape = [&sink] {
    const Form1 form(sink);
    RECT bounds{};
    ::GetWindowRect(form.Handle(), &bounds);
    LOGFONTW font{};
    const auto handle =
        reinterpret_cast<HFONT>(::SendMessageW(form.Item(Form1::kEncryptCmd), WM_GETFONT, 0, 0));
    ::GetObjectW(handle, sizeof font, &font);
    return std::tuple{bounds.right - bounds.left, bounds.bottom - bounds.top, font.lfHeight,
                      std::wstring(font.lfFaceName), WindowDpi(form.Handle())};
  };
  const auto withCalls = shape();
  LateBoundCalls& calls = TheLateBoundCalls();
  const LateBoundCalls saved = calls;
  calls = LateBoundCalls{};
  const auto without = shape();
  calls = saved;
  EXPECT_EQ(without, withCalls);
  EXPECT_GT(std::get<0>(without), 400);
  EXPECT_NE(std::get<2>(without), 0);
}

}  // namespace
}  // namespace hostseal::testing
