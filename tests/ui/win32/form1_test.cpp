// Form1 on Windows: its status frame at the first, the smallest and a large size, its controls
// read and set for the controller (whose rules form1_controller_test.cpp checks), and a file
// job cancelled or closed from inside its message pump.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <array>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/log/status_log.hpp"
#include "hostseal/ui/win32/form1.hpp"
#include "hostseal/ui/win32/late_bound_calls.hpp"
#include "hostseal/ui/win32/richedit_box.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/recording_sink.hpp"
#include "tests/support/scoped_code_page.hpp"
#include "tests/support/scratch_folder.hpp"
#include "tests/ui/form1_support.hpp"

namespace hostseal::testing {
namespace {

std::u16string Name(const std::filesystem::path& path) {
  return path.u16string();
}

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

class Form1Test : public ::testing::Test {
 protected:
  Form1Test() : m_Form(m_Sink, InjectedQueries(), Dialogs()) {
    ::ShowWindow(m_Form.Handle(), SW_SHOWNOACTIVATE);
  }

  // The dialogs hand out the names that the test queued, then "" (cancelled). The save
  // dialog, the last step before a job, has m_DuringJob run inside the job's progress.
  Form1::FileDialogs Dialogs() {
    Form1::FileDialogs dialogs;
    dialogs.openFile = [this](HWND, const std::u16string&) { return TakeFirst(m_OpenNames); };
    dialogs.saveFile = [this](HWND, const std::u16string&) {
      m_DuringJob.Post();
      return TakeFirst(m_SaveNames);
    };
    return dialogs;
  }

  HWND Item(Form1::Control id) { return m_Form.Item(id); }

  // A click as the button reports it to its window.
  void Click(Form1::Control id) {
    ::SendMessageW(m_Form.Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Item(id)));
  }

  void Choose(Form1::Control combo, int index) {
    ::SendMessageW(Item(combo), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageW(m_Form.Handle(), WM_COMMAND, MAKEWPARAM(combo, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(Item(combo)));
  }

  static std::u16string Text(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return {text.begin(), text.end()};
  }

  bool Enabled(Form1::Control id) { return ::IsWindowEnabled(Item(id)) != FALSE; }

  // The log's lines, each with the colour of its first character.
  std::vector<ShownLine> Lines() { return ShownLines(RichEditBox(Item(Form1::kStatusTxt))); }

  int Pixels(int twips) {
    return ::MulDiv(twips, static_cast<int>(WindowDpi(m_Form.Handle())), 1440);
  }

  // A control's rectangle in its parent's client area.
  static RECT PlaceIn(HWND control) {
    RECT place{};
    ::GetWindowRect(control, &place);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(control), reinterpret_cast<POINT*>(&place), 2);
    return place;
  }

  static SIZE WindowSize(HWND window) {
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    return {bounds.right - bounds.left, bounds.bottom - bounds.top};
  }

  void ExpectSavedLogPlace(const char* at) {
    const RECT log = PlaceIn(Item(Form1::kStatusTxt));
    EXPECT_EQ(log.left, Pixels(120)) << at;
    EXPECT_EQ(log.top, Pixels(240)) << at;
    EXPECT_EQ(log.right - log.left, Pixels(5415)) << at;
    EXPECT_EQ(log.bottom - log.top, Pixels(3735)) << at;
  }

  RecordingSink m_Sink;
  std::vector<std::u16string> m_OpenNames;
  std::vector<std::u16string> m_SaveNames;
  DuringJob m_DuringJob;
  Form1 m_Form;
};

TEST_F(Form1Test, TheStatusLogSitsInItsFrameAtItsSizeInPixelsInSongTi) {
  HWND frame = Item(Form1::kStatusFrame);
  HWND log = Item(Form1::kStatusTxt);
  ASSERT_NE(log, nullptr);
  EXPECT_EQ(::GetParent(log), frame);
  EXPECT_EQ(Text(frame), u"状态栏");
  std::array<wchar_t, 64> className{};
  ::GetClassNameW(log, className.data(), static_cast<int>(className.size()));
  EXPECT_EQ(::lstrcmpiW(className.data(), MSFTEDIT_CLASS), 0) << className.data();
  ExpectSavedLogPlace("first");
  const auto style = ::GetWindowLongW(log, GWL_STYLE);
  EXPECT_NE(style & ES_READONLY, 0);
  EXPECT_NE(style & WS_VSCROLL, 0);

  CHARFORMAT2W format{};
  format.cbSize = sizeof format;
  ::SendMessageW(log, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  EXPECT_EQ(std::wstring(format.szFaceName), L"宋体");
  EXPECT_EQ(format.yHeight, 240);  // 12 points
  EXPECT_EQ(format.bCharSet, GB2312_CHARSET);
  EXPECT_EQ(format.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT), 0U);
  // Light grey on black; EM_SETBKGNDCOLOR answers with the colour it replaces.
  EXPECT_EQ(format.crTextColor, RGB(0xD0, 0xD0, 0xD0));
  EXPECT_EQ(::SendMessageW(log, EM_SETBKGNDCOLOR, 0, RGB(0, 0, 0)), RGB(0, 0, 0));

  EXPECT_EQ(Text(m_Form.Handle()), u"hostseal");
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
  ExpectSavedLogPlace("smallest");

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

// The key controls are read for the controller, the controls it names are the ones disabled
// during a job, and the job's progress serves the window's messages: Cancel clicked there
// stops it, and WM_CLOSE there closes the window once it has stopped.
TEST_F(Form1Test, TheControlsReachTheControllerAndAJobStopsFromTheMessagePump) {
  const ScratchFolder dir;
  const auto name = [&dir](const char* file) { return Name(dir / file); };
  WriteFile(dir / "plain.bin", std::string(4'000'017, 'p'));  // two chunks: a report comes first
  EXPECT_FALSE(Enabled(Form1::kKeyTxt));
  Choose(Form1::kKeyKindCbo, 2);  // a pass phrase
  EXPECT_TRUE(Enabled(Form1::kKeyTxt) && Enabled(Form1::kKeyBitsCbo));
  EXPECT_NE(::SendMessageW(Item(Form1::kKeyTxt), EM_GETPASSWORDCHAR, 0, 0), 0);
  ::SetWindowTextW(Item(Form1::kKeyTxt), L"phrase");
  m_OpenNames = {name("plain.bin"), name("sealed.bin"), name("sealed.bin"), name("plain.bin")};
  m_SaveNames = {name("sealed.bin"), name("a.bin"), name("b.bin"), name("sealed.bin")};
  for (const int bits : {2, 0, 2}) {  // 256 bits, then the wrong key size, then 256 again
    ::SendMessageW(Item(Form1::kKeyBitsCbo), CB_SETCURSEL, bits, 0);
    Click(m_OpenNames.size() == 4 ? Form1::kEncryptFileCmd : Form1::kDecryptFileCmd);
  }
  EXPECT_EQ(::SendMessageW(Item(Form1::kFilePrg), PBM_GETPOS, 0, 0), 1000);
  bool onlyCancel = false;
  m_DuringJob.action = [&] {
    onlyCancel = !Enabled(Form1::kDecryptFileCmd) && !Enabled(Form1::kInputTxt) &&
                 !Enabled(Form1::kKeyTxt) && Enabled(Form1::kCancelCmd);
    Click(Form1::kCancelCmd);
  };
  Click(Form1::kEncryptFileCmd);
  EXPECT_TRUE(onlyCancel);
  EXPECT_TRUE(Enabled(Form1::kKeyTxt) && !Enabled(Form1::kCancelCmd));
  std::vector<OleColor> colours;
  for (const ShownLine& line : Lines()) colours.push_back(line.color);
  EXPECT_EQ(colours, (std::vector<OleColor>{kGreen, kRed, kGreen, kRed}));
  EXPECT_EQ(ReadFile(dir / "b.bin"), std::string(4'000'017, 'p'));

  m_DuringJob.action = [&] { ::SendMessageW(m_Form.Handle(), WM_CLOSE, 0, 0); };
  m_OpenNames = {name("plain.bin")};
  m_SaveNames = {name("new.bin")};
  HWND window = m_Form.Handle();
  Click(Form1::kEncryptFileCmd);
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"a.bin", "b.bin", "plain.bin", "sealed.bin"}));
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_EQ(m_Form.Handle(), nullptr);
}

// The log takes lines beyond the RichEdit control's default limit of 32,767 characters.
TEST_F(Form1Test, TheLogKeepsTakingLinesPastThirtyTwoThousandCharacters) {
  RichEditBox box(Item(Form1::kStatusTxt));
  const std::u16string line(78, u'l');
  for (int i = 0; i < 500; ++i) AddStatusLine(box, line, u"", 0);
  EXPECT_EQ(box.Text().size(), 40'000U);
}

// The PNG's width and height, from its IHDR chunk; {0, 0} when it is no PNG.
SIZE PngSize(const std::string& png) {
  if (png.size() < 24 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return {0, 0};
  const auto big = [&png](std::size_t at) {
    return static_cast<LONG>(
        static_cast<std::uint32_t>(static_cast<unsigned char>(png[at])) << 24 |
        static_cast<std::uint32_t>(static_cast<unsigned char>(png[at + 1])) << 16 |
        static_cast<std::uint32_t>(static_cast<unsigned char>(png[at + 2])) << 8 |
        static_cast<std::uint32_t>(static_cast<unsigned char>(png[at + 3])));
  };
  return {big(16), big(20)};
}

TEST_F(Form1Test, TheDemonstrationFillsTheLogAndTheScreenshotIsAPngOfTheWindow) {
  const ScratchFolder dir;
  // Windows' own 1252 cannot hold the Chinese of the text: the window says so before the
  // cipher text, in the tool's words.
  const ScopedCodePage western(1252);
  m_Form.RunDemonstration();
  ASSERT_EQ(Lines().size(), 9U);  // five identity lines, a red one, the note, the round trip
  EXPECT_EQ(Lines()[6].text.rfind(u"Encrypt text: note: code page 1252 cannot hold every character "
                                  u"of the text exactly;",
                                  0),
            0U);
  EXPECT_EQ(Lines()[8], (ShownLine{u"Decrypt text: ???? hostseal", kGreen}));

  const auto file = dir / "shot.png";
  WriteFile(file, "an older picture");
  m_Form.SaveScreenshot(Name(file));
  const SIZE size = PngSize(ReadFile(file));
  EXPECT_EQ(size.cx, WindowSize(m_Form.Handle()).cx);
  EXPECT_EQ(size.cy, WindowSize(m_Form.Handle()).cy);
  try {
    m_Form.SaveScreenshot(Name(dir / "no" / "such" / "shot.png"));
    ADD_FAILURE() << "no error for a missing folder";
  } catch (const RaisedError& error) {
    EXPECT_EQ(error.Number(), 76) << error.Description();
  }
  EXPECT_EQ(dir.Names(), std::set<std::string>{"shot.png"});
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
