// Form1 on Windows: creates the window and its controls, lays them out at the window's DPI
// and reads them for its controller.
#include "hostseal/ui/win32/form1.hpp"

#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cwchar>
#include <exception>
#include <string>
#include <vector>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/ui/screenshot_file.hpp"
#include "hostseal/ui/win32/late_bound_calls.hpp"
#include "hostseal/ui/win32/window_screenshot.hpp"

namespace hostseal {

namespace {

constexpr wchar_t kWindowClass[] = L"hostseal.Form1";

// The log's place, size and colours are the window's design; an OLE colour is a COLORREF.
namespace design = form1_design;
using design::kStatusHeight;
using design::kStatusLeft;
using design::kStatusTop;
using design::kStatusWidth;
constexpr COLORREF kLogBackground = design::kLogBackground;
constexpr COLORREF kLogText = design::kLogText;

// The operations column, in pixels at 96 DPI.
constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kColumnWidth = 330;
constexpr int kGroupTop = 20;  // the caption band of a group box
constexpr int kGroupPad = 10;
constexpr int kLabelWidth = 70;
constexpr int kEditHeight = 23;
constexpr int kButtonHeight = 25;
constexpr int kDropDownHeight = 160;  // a combo box's height with its list open
constexpr int kCancelWidth = 75;

constexpr int kIdentityHeight = kGroupTop + kButtonHeight + kGroupPad;
constexpr int kTextHeight =
    kGroupTop + kEditHeight + kGap + kButtonHeight + kGap + kEditHeight + kGroupPad;
constexpr int kFileHeight =
    kGroupTop + 3 * (kEditHeight + kGap) + kButtonHeight + kGap + kButtonHeight + kGroupPad;
constexpr int kColumnHeight = kIdentityHeight + kGap + kTextHeight + kGap + kFileHeight;

// The controls that are operations, but for the key text and its bits and their labels.
constexpr std::array kOperationControls = {
    Form1::kIdentityBox,    Form1::kIdentityCmd,   Form1::kTextBox,    Form1::kInputLbl,
    Form1::kInputTxt,       Form1::kEncryptCmd,    Form1::kDecryptCmd, Form1::kUseResultCmd,
    Form1::kResultLbl,      Form1::kResultTxt,     Form1::kKeyKindLbl, Form1::kKeyKindCbo,
    Form1::kEncryptFileCmd, Form1::kDecryptFileCmd};

std::u16string ToU16(const std::wstring& text) {
  return {text.begin(), text.end()};
}

std::wstring ToWide(const std::u16string& text) {
  return {text.begin(), text.end()};
}

std::wstring WindowText(HWND control) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
  const int copied = ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

// Overwrites a secret's characters before its buffer goes.
void Wipe(std::wstring& text) {
  ::SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t));
}

void RegisterWindowClass(WNDPROC procedure) {
  static const bool registered = [procedure] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = kWindowClass;
    return ::RegisterClassExW(&windowClass) != 0;
  }();
  if (!registered) throw RaisedError(75, "the window class cannot be registered");
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&controls);
}

std::u16string AskFileName(HWND owner, const std::u16string& caption, bool save) {
  std::array<wchar_t, 32768> name{};  // the longest path Windows takes
  const std::wstring title = ToWide(caption);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = L"All files (*.*)\0*.*\0";
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY |
                 (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
  const BOOL chosen = save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog);
  if (!chosen) return {};
  return ToU16(name.data());
}

}  // namespace

Form1::FileDialogs Form1::FileDialogs::Standard() {
  FileDialogs dialogs;
  dialogs.openFile = [](HWND owner, const std::u16string& caption) {
    return AskFileName(owner, caption, false);
  };
  dialogs.saveFile = [](HWND owner, const std::u16string& caption) {
    return AskFileName(owner, caption, true);
  };
  return dialogs;
}

Form1::Form1(MessageSink& sink, HostQueries queries, FileDialogs dialogs)
    : m_Sink(sink), m_Dialogs(std::move(dialogs)), m_Controller(*this, sink, std::move(queries)) {
  RichEditBox::LoadControlLibrary();
  RegisterWindowClass(&Form1::WindowProc);
  // WindowProc sets m_Window at WM_NCCREATE.
  const std::wstring title = ToWide(design::kTitle);
  ::CreateWindowExW(0, kWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                    ::GetModuleHandleW(nullptr), this);
  if (m_Window == nullptr) throw RaisedError(75, "the window cannot be created");
  m_Dpi = std::max<UINT>(WindowDpi(m_Window), 1);
  CreateControls();
  ApplyFonts();

  // The window's first size is its smallest one: the log at its saved size, the operations
  // beside it.
  const int frameHeight = Twips(kStatusTop) + Twips(kStatusHeight) + Twips(kStatusLeft);
  m_FirstBand = std::max(0, Scale(kColumnHeight) - frameHeight);
  m_FirstClient = {Scale(kMargin) + Twips(kStatusLeft) * 2 + Twips(kStatusWidth) + Scale(kMargin) +
                       Scale(kColumnWidth) + Scale(kMargin),
                   Scale(kMargin) + frameHeight + m_FirstBand + Scale(kMargin)};
  RECT bounds{0, 0, m_FirstClient.cx, m_FirstClient.cy};
  AdjustWindowBoundsForDpi(bounds, WS_OVERLAPPEDWINDOW, 0, m_Dpi);
  m_FirstWindow = {bounds.right - bounds.left, bounds.bottom - bounds.top};
  ::SetWindowPos(m_Window, nullptr, 0, 0, m_FirstWindow.cx, m_FirstWindow.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
}

Form1::~Form1() {
  if (m_Window != nullptr) ::DestroyWindow(m_Window);
  if (m_Font != nullptr) ::DeleteObject(m_Font);
}

HWND Form1::Item(Control id) const {
  if (m_Window == nullptr) return nullptr;
  if (id == kStatusTxt) return m_StatusTxt;
  return ::GetDlgItem(m_Window, id);
}

int Form1::Scale(int pixelsAt96) const {
  return ::MulDiv(pixelsAt96, static_cast<int>(m_Dpi), USER_DEFAULT_SCREEN_DPI);
}

int Form1::Twips(int twips) const {
  return ::MulDiv(twips, static_cast<int>(m_Dpi), design::kTwipsPerInch);
}

HWND Form1::AddControl(const wchar_t* className, const wchar_t* text, DWORD style, Control id) {
  HWND control = ::CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                                   m_Window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   ::GetModuleHandleW(nullptr), nullptr);
  if (control == nullptr) throw RaisedError(75, "a control of the window cannot be created");
  return control;
}

void Form1::CreateControls() {
  // The status frame and, in it, the log.
  HWND frame = AddControl(WC_BUTTONW, ToWide(design::kStatusCaption).c_str(),
                          BS_GROUPBOX | WS_CLIPCHILDREN, kStatusFrame);
  m_StatusTxt = ::CreateWindowExW(WS_EX_CLIENTEDGE, MSFTEDIT_CLASS, L"",
                                  WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                                      ES_AUTOVSCROLL | ES_DISABLENOSCROLL,
                                  0, 0, 0, 0, frame,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusTxt)),
                                  ::GetModuleHandleW(nullptr), nullptr);
  if (m_StatusTxt == nullptr) throw RaisedError(75, "the RichEdit control cannot be created");
  // A RichEdit control takes 32,767 characters unless told otherwise; the log takes lines
  // for as long as the window is open.
  ::SendMessageW(m_StatusTxt, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  ::SendMessageW(m_StatusTxt, EM_SETBKGNDCOLOR, 0, kLogBackground);
  CHARFORMAT2W format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_FACE | CFM_SIZE | CFM_CHARSET | CFM_WEIGHT | CFM_BOLD | CFM_ITALIC |
                  CFM_UNDERLINE | CFM_STRIKEOUT | CFM_COLOR;
  format.yHeight = design::kLogFontTwips;
  format.wWeight = FW_NORMAL;
  format.bCharSet = GB2312_CHARSET;
  format.crTextColor = kLogText;
  std::wcscpy(format.szFaceName, ToWide(design::kLogFace).c_str());
  ::SendMessageW(m_StatusTxt, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
  ::SendMessageW(m_StatusTxt, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  m_StatusBox = std::make_unique<RichEditBox>(m_StatusTxt);

  // The operations, in the order of the Tab key.
  AddControl(WC_BUTTONW, L"Host identity", BS_GROUPBOX, kIdentityBox);
  AddControl(WC_BUTTONW, L"Identify this host", BS_PUSHBUTTON | WS_TABSTOP, kIdentityCmd);

  AddControl(WC_BUTTONW, L"Text", BS_GROUPBOX, kTextBox);
  AddControl(WC_STATICW, L"Input", SS_LEFT, kInputLbl);
  HWND input = AddControl(WC_EDITW, L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kInputTxt);
  ::SendMessageW(input, EM_SETCUEBANNER, TRUE,
                 reinterpret_cast<LPARAM>(L"text, or hexadecimal cipher text"));
  AddControl(WC_BUTTONW, L"Encrypt", BS_PUSHBUTTON | WS_TABSTOP, kEncryptCmd);
  AddControl(WC_BUTTONW, L"Decrypt", BS_PUSHBUTTON | WS_TABSTOP, kDecryptCmd);
  AddControl(WC_BUTTONW, L"Result to input", BS_PUSHBUTTON | WS_TABSTOP, kUseResultCmd);
  AddControl(WC_STATICW, L"Result", SS_LEFT, kResultLbl);
  // Read-only, but the user may still select and copy the result.
  AddControl(WC_EDITW, L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY, kResultTxt);

  AddControl(WC_BUTTONW, L"File", BS_GROUPBOX, kFileBox);
  AddControl(WC_STATICW, L"Key", SS_LEFT, kKeyKindLbl);
  HWND kind =
      AddControl(WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kKeyKindCbo);
  for (const auto& [text, value] : design::kKeyKinds) {
    const std::wstring caption = ToWide(text);
    const auto at =
        ::SendMessageW(kind, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(caption.c_str()));
    ::SendMessageW(kind, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(value));
  }
  ::SendMessageW(kind, CB_SETCURSEL, 0, 0);
  AddControl(WC_STATICW, L"Key text", SS_LEFT, kKeyTxtLbl);
  AddControl(WC_EDITW, L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kKeyTxt);
  AddControl(WC_STATICW, L"Key bits", SS_LEFT, kKeyBitsLbl);
  HWND bits =
      AddControl(WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kKeyBitsCbo);
  for (const std::int32_t size : design::kKeyBits) {
    // The digits by to_chars: std::to_wstring would bring in the C runtime's wide printf.
    std::array<char, 12> digits{};
    const char* end = std::to_chars(digits.data(), digits.data() + digits.size(), size).ptr;
    const std::wstring text(static_cast<const char*>(digits.data()), end);
    ::SendMessageW(bits, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  ::SendMessageW(bits, CB_SETCURSEL, 0, 0);
  AddControl(WC_BUTTONW, L"Encrypt file…", BS_PUSHBUTTON | WS_TABSTOP, kEncryptFileCmd);
  AddControl(WC_BUTTONW, L"Decrypt file…", BS_PUSHBUTTON | WS_TABSTOP, kDecryptFileCmd);
  AddControl(WC_STATICW, L"Progress", SS_LEFT, kProgressLbl);
  HWND progress = AddControl(PROGRESS_CLASSW, L"", 0, kFilePrg);
  ::SendMessageW(progress, PBM_SETRANGE32, 0, design::kProgressSteps);
  AddControl(WC_BUTTONW, L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, kCancelCmd);
  m_Controller.UpdateKeyInputs();
}

// The operations take the system's message font at the window's DPI; the log keeps its own.
void Form1::ApplyFonts() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  HFONT font = nullptr;
  if (NonClientMetricsForDpi(metrics, m_Dpi)) {
    font = ::CreateFontIndirectW(&metrics.lfMessageFont);
  }
  if (font == nullptr) return;  // the controls keep the system font
  for (HWND child = ::GetWindow(m_Window, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  if (m_Font != nullptr) ::DeleteObject(m_Font);
  m_Font = font;
}

void Form1::Layout() {
  RECT client{};
  ::GetClientRect(m_Window, &client);
  const int clientWidth = static_cast<int>(client.right);
  const int clientHeight = static_cast<int>(client.bottom);
  const auto place = [this](Control id, int x, int y, int width, int height) {
    ::MoveWindow(::GetDlgItem(m_Window, id), x, y, width, height, TRUE);
  };
  const int margin = Scale(kMargin);
  const int gap = Scale(kGap);
  const int column = Scale(kColumnWidth);

  // The frame takes what the operations leave. At the first size a band below it takes up
  // what the operations are taller than the log; as the window grows taller the band gives
  // way, so that the frame soon reaches the bottom edge.
  const int frameMinWidth = Twips(kStatusLeft) * 2 + Twips(kStatusWidth);
  const int frameMinHeight = Twips(kStatusTop) + Twips(kStatusHeight) + Twips(kStatusLeft);
  const int frameWidth = std::max(frameMinWidth, clientWidth - 3 * margin - column);
  const int band =
      std::max(0, m_FirstBand - std::max(0, clientHeight - static_cast<int>(m_FirstClient.cy)));
  const int frameHeight = std::max(frameMinHeight, clientHeight - 2 * margin - band);
  place(kStatusFrame, margin, margin, frameWidth, frameHeight);
  ::MoveWindow(m_StatusTxt, Twips(kStatusLeft), Twips(kStatusTop),
               frameWidth - 2 * Twips(kStatusLeft),
               frameHeight - Twips(kStatusTop) - Twips(kStatusLeft), TRUE);

  const int left = margin + frameWidth + margin;
  const int inner = left + Scale(kGroupPad);
  const int innerWidth = column - 2 * Scale(kGroupPad);
  const int field = inner + Scale(kLabelWidth);
  const int fieldWidth = innerWidth - Scale(kLabelWidth);
  const int edit = Scale(kEditHeight);
  const int button = Scale(kButtonHeight);
  const int labelDrop = Scale(4);  // the label's text level with the field's
  const auto row = [&](Control label, Control control, int y, int height) {
    place(label, inner, y + labelDrop, Scale(kLabelWidth), edit - labelDrop);
    place(control, field, y, fieldWidth, height);
  };

  int y = margin;
  place(kIdentityBox, left, y, column, Scale(kIdentityHeight));
  place(kIdentityCmd, inner, y + Scale(kGroupTop), innerWidth, button);
  y += Scale(kIdentityHeight) + gap;

  place(kTextBox, left, y, column, Scale(kTextHeight));
  int at = y + Scale(kGroupTop);
  row(kInputLbl, kInputTxt, at, edit);
  at += edit + gap;
  const int third = (innerWidth - 2 * gap) / 3;
  place(kEncryptCmd, inner, at, third, button);
  place(kDecryptCmd, inner + third + gap, at, third, button);
  place(kUseResultCmd, inner + 2 * (third + gap), at, innerWidth - 2 * (third + gap), button);
  at += button + gap;
  row(kResultLbl, kResultTxt, at, edit);
  y += Scale(kTextHeight) + gap;

  place(kFileBox, left, y, column, Scale(kFileHeight));
  at = y + Scale(kGroupTop);
  row(kKeyKindLbl, kKeyKindCbo, at, Scale(kDropDownHeight));
  at += edit + gap;
  row(kKeyTxtLbl, kKeyTxt, at, edit);
  at += edit + gap;
  row(kKeyBitsLbl, kKeyBitsCbo, at, Scale(kDropDownHeight));
  at += edit + gap;
  const int half = (innerWidth - gap) / 2;
  place(kEncryptFileCmd, inner, at, half, button);
  place(kDecryptFileCmd, inner + half + gap, at, innerWidth - half - gap, button);
  at += button + gap;
  place(kProgressLbl, inner, at + labelDrop, Scale(kLabelWidth), edit - labelDrop);
  const int cancel = Scale(kCancelWidth);
  place(kFilePrg, field, at + Scale(3), fieldWidth - cancel - gap, button - Scale(6));
  place(kCancelCmd, field + fieldWidth - cancel, at, cancel, button);
}

LRESULT CALLBACK Form1::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    form->m_Window = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<Form1*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (form == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    form->m_Window = nullptr;
    form->m_StatusTxt = nullptr;
    if (form->m_QuitWhenClosed) ::PostQuitMessage(0);
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  // An exception must not unwind through the system's code that called this procedure.
  try {
    return form->OnMessage(message, wParam, lParam);
  } catch (const std::exception& error) {
    form->m_Sink.Show(FromUtf8(error.what()));
    return 0;
  }
}

LRESULT Form1::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_SIZE:
      if (m_StatusTxt != nullptr) Layout();
      return 0;
    case WM_GETMINMAXINFO:
      if (m_FirstWindow.cx > 0) {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = {m_FirstWindow.cx, m_FirstWindow.cy};
      }
      return 0;
    case WM_DPICHANGED: {
      // The window moves to a monitor of another DPI: everything in pixels is scaled anew.
      const UINT dpi = HIWORD(wParam);
      if (dpi != 0 && m_Dpi != 0) {
        m_FirstClient = {
            ::MulDiv(m_FirstClient.cx, static_cast<int>(dpi), static_cast<int>(m_Dpi)),
            ::MulDiv(m_FirstClient.cy, static_cast<int>(dpi), static_cast<int>(m_Dpi))};
        m_FirstWindow = {
            ::MulDiv(m_FirstWindow.cx, static_cast<int>(dpi), static_cast<int>(m_Dpi)),
            ::MulDiv(m_FirstWindow.cy, static_cast<int>(dpi), static_cast<int>(m_Dpi))};
        m_FirstBand = ::MulDiv(m_FirstBand, static_cast<int>(dpi), static_cast<int>(m_Dpi));
        m_Dpi = dpi;
        ApplyFonts();
      }
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      ::SetWindowPos(m_Window, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_CLOSE:
      OnClose();
      return 0;
    default:
      return ::DefWindowProcW(m_Window, message, wParam, lParam);
  }
}

void Form1::OnCommand(int id, int code) {
  if (id == kKeyKindCbo && code == CBN_SELCHANGE) {
    m_Controller.UpdateKeyInputs();
    return;
  }
  if (code != BN_CLICKED) return;
  switch (id) {
    case kIdentityCmd:
      m_Controller.ReportIdentity();
      break;
    case kEncryptCmd:
      m_Controller.EncryptText();
      break;
    case kDecryptCmd:
      m_Controller.DecryptText();
      break;
    case kUseResultCmd:
      m_Controller.UseResultAsInput();
      break;
    case kEncryptFileCmd:
      m_Controller.RunFileOperation(FileDirection::kEncrypt);
      break;
    case kDecryptFileCmd:
      m_Controller.RunFileOperation(FileDirection::kDecrypt);
      break;
    case kCancelCmd:
      m_Controller.CancelFileJob();
      break;
    default:
      break;
  }
}

// Closing the window while a file job runs cancels the job; the controller closes it after.
void Form1::OnClose() {
  if (m_Controller.RequestClose()) ::DestroyWindow(m_Window);
}

void Form1::CloseWindow() {
  if (m_Window != nullptr) ::DestroyWindow(m_Window);
}

void Form1::RunDemonstration() {
  if (m_Window != nullptr) m_Controller.RunDemonstration();
}

std::u16string Form1::InputText() const {
  return ToU16(WindowText(Item(kInputTxt)));
}

void Form1::SetInputText(const std::u16string& text) {
  ::SetWindowTextW(Item(kInputTxt), ToWide(text).c_str());
}

std::u16string Form1::ResultText() const {
  return ToU16(WindowText(Item(kResultTxt)));
}

void Form1::SetResultText(const std::u16string& text) {
  ::SetWindowTextW(Item(kResultTxt), ToWide(text).c_str());
}

KeyChoice::Kind Form1::KeyKind() const {
  HWND kinds = Item(kKeyKindCbo);
  const auto at = ::SendMessageW(kinds, CB_GETCURSEL, 0, 0);
  return static_cast<KeyChoice::Kind>(
      ::SendMessageW(kinds, CB_GETITEMDATA, static_cast<WPARAM>(at), 0));
}

std::u16string Form1::KeyText() const {
  std::wstring key = WindowText(Item(kKeyTxt));
  std::u16string text = ToU16(key);
  Wipe(key);
  return text;
}

std::int32_t Form1::KeyBits() const {
  constexpr auto kLast = static_cast<LRESULT>(design::kKeyBits.size() - 1);
  const auto at = ::SendMessageW(Item(kKeyBitsCbo), CB_GETCURSEL, 0, 0);
  return design::kKeyBits[static_cast<std::size_t>(std::clamp<LRESULT>(at, 0, kLast))];
}

void Form1::ShowControls(const Form1Controls& controls) {
  for (const Control id : kOperationControls) ::EnableWindow(Item(id), controls.operations);
  HWND key = Item(kKeyTxt);
  ::EnableWindow(key, controls.keyText);
  ::EnableWindow(Item(kKeyTxtLbl), controls.keyText);
  ::EnableWindow(Item(kKeyBitsCbo), controls.keyBits);
  ::EnableWindow(Item(kKeyBitsLbl), controls.keyBits);
  ::SendMessageW(key, EM_SETPASSWORDCHAR, controls.keyHidden ? L'\x25CF' : 0, 0);
  ::InvalidateRect(key, nullptr, TRUE);
  ::EnableWindow(Item(kCancelCmd), controls.cancel);
}

void Form1::ShowProgress(int step) {
  ::SendMessageW(Item(kFilePrg), PBM_SETPOS, static_cast<WPARAM>(step), 0);
}

std::u16string Form1::AskOpenFileName(const std::u16string& caption) {
  return m_Dialogs.openFile(m_Window, caption);
}

std::u16string Form1::AskSaveFileName(const std::u16string& caption) {
  return m_Dialogs.saveFile(m_Window, caption);
}

// Serves the window's messages while a job runs, so that it repaints and Cancel can be
// clicked; false when the thread was asked to quit (WM_QUIT is posted again for the loop).
bool Form1::ServeEvents() {
  MSG message{};
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    if (m_Window == nullptr || !::IsDialogMessageW(m_Window, &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  return true;
}

void Form1::SaveScreenshot(const std::u16string& fileName) {
  if (m_Window == nullptr) RaiseScreenshotNotDrawn(fileName);
  ::UpdateWindow(m_Window);
  SaveWindowPng(m_Window, fileName);
}

}  // namespace hostseal
