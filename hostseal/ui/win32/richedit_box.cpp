// RichEditBox: maps the status log's box properties onto RichEdit messages.
#include "hostseal/ui/win32/richedit_box.hpp"

#include <richedit.h>

#include <algorithm>

#include "hostseal/common/raised_error.hpp"

namespace hostseal {

namespace {

CHARFORMAT2W EmptyFormat(DWORD mask) {
  CHARFORMAT2W format{};
  format.cbSize = sizeof format;
  format.dwMask = mask;
  return format;
}

void Select(HWND edit, LONG from, LONG to) {
  CHARRANGE range{from, to};
  ::SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

void SetSelectionFormat(HWND edit, CHARFORMAT2W format) {
  ::SendMessageW(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

// The length of the control's text, counting a line break as one character, or, with
// GTL_USECRLF, as two.
LONG ControlLength(HWND edit, DWORD flags) {
  GETTEXTLENGTHEX length{};
  length.flags = flags | GTL_PRECISE | GTL_NUMCHARS;
  length.codepage = 1200;
  return static_cast<LONG>(
      ::SendMessageW(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
}

}  // namespace

void RichEditBox::LoadControlLibrary() {
  // Kept loaded for the process's lifetime: every RICHEDIT50W window needs it.
  static const HMODULE library = ::LoadLibraryW(L"msftedit.dll");
  if (library == nullptr) {
    throw RaisedError(75, "the RichEdit control (msftedit.dll) cannot be loaded");
  }
}

bool RichEditBox::Visible() const {
  return (::GetWindowLongW(m_Edit, GWL_STYLE) & WS_VISIBLE) != 0;
}

void RichEditBox::SetFocus() {
  ::SetFocus(m_Edit);
}

std::u16string RichEditBox::Text() const {
  const auto count = static_cast<std::size_t>(ControlLength(m_Edit, GTL_USECRLF));
  std::wstring text(count + 1, L'\0');
  GETTEXTEX get{};
  get.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  get.flags = GT_USECRLF;
  get.codepage = 1200;
  const auto copied = static_cast<std::size_t>(::SendMessageW(
      m_Edit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(text.data())));
  return {text.begin(), text.begin() + static_cast<std::ptrdiff_t>(std::min(copied, count))};
}

std::int32_t RichEditBox::TextLength() const {
  return static_cast<std::int32_t>(ControlLength(m_Edit, GTL_USECRLF));
}

LONG RichEditBox::ToControlPosition(std::int32_t position) const {
  // The end of the box, where every status line goes, needs no copy of the text.
  if (position >= ControlLength(m_Edit, GTL_USECRLF)) return ControlLength(m_Edit, GTL_DEFAULT);
  const std::u16string text = Text();
  const std::size_t wanted =
      std::min(static_cast<std::size_t>(std::max<std::int32_t>(position, 0)), text.size());
  std::size_t breaks = 0;  // "\r\n" pairs wholly before the position
  for (std::size_t at = text.find(u"\r\n"); at != std::u16string::npos && at < wanted;
       at = text.find(u"\r\n", at + 2)) {
    if (at + 1 == wanted) return static_cast<LONG>(wanted - breaks);  // inside the break
    ++breaks;
  }
  return static_cast<LONG>(wanted - breaks);
}

void RichEditBox::SetSelStart(std::int32_t position) {
  const LONG at = ToControlPosition(position);
  Select(m_Edit, at, at);
  // An insertion point at the start of the control's last, empty line takes the format of
  // the control's final paragraph mark, which keeps the format the control began with. The
  // end of the box has the colour and weight of its last character instead, as in the other
  // boxes, so that a line of another kind goes on in the colour of the line before it.
  if (at > 0 && at == ControlLength(m_Edit, GTL_DEFAULT)) {
    CHARFORMAT2W last = EmptyFormat(CFM_COLOR | CFM_BOLD);
    Select(m_Edit, at - 1, at);
    ::SendMessageW(m_Edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&last));
    Select(m_Edit, at, at);
    last.dwMask = CFM_COLOR | CFM_BOLD;
    SetSelectionFormat(m_Edit, last);
  }
}

void RichEditBox::SetSelColor(OleColor color) {
  CHARFORMAT2W format = EmptyFormat(CFM_COLOR);
  format.crTextColor = color;  // a COLORREF is 0x00BBGGRR as well
  SetSelectionFormat(m_Edit, format);
}

void RichEditBox::SetSelBold(bool bold) {
  CHARFORMAT2W format = EmptyFormat(CFM_BOLD);
  format.dwEffects = bold ? CFE_BOLD : 0;
  SetSelectionFormat(m_Edit, format);
}

void RichEditBox::SetSelText(const std::u16string& text) {
  const std::wstring wide(text.begin(), text.end());
  // The control paints when its window next paints, not at once for each line: lines often
  // come several at a time, and painting at once is most of an insertion's cost.
  ::SendMessageW(m_Edit, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(m_Edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
  ::SendMessageW(m_Edit, EM_SCROLLCARET, 0, 0);
  ::SendMessageW(m_Edit, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(m_Edit, nullptr, FALSE);
}

CHARFORMAT2W RichEditBox::FormatAt(std::int32_t position) const {
  CHARRANGE kept{};
  ::SendMessageW(m_Edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&kept));
  CHARFORMAT2W format = EmptyFormat(CFM_COLOR | CFM_BOLD);
  const std::int32_t end = TextLength();
  if (position < 0 || position >= end) {
    ::SendMessageW(m_Edit, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    format.dwEffects &= ~static_cast<DWORD>(CFE_BOLD);
  } else {
    const LONG at = ToControlPosition(position);
    Select(m_Edit, at, at + 1);
    ::SendMessageW(m_Edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    Select(m_Edit, kept.cpMin, kept.cpMax);
  }
  if ((format.dwEffects & CFE_AUTOCOLOR) != 0) format.crTextColor = ::GetSysColor(COLOR_WINDOWTEXT);
  return format;
}

OleColor RichEditBox::ColorAt(std::int32_t position) const {
  return static_cast<OleColor>(FormatAt(position).crTextColor);
}

bool RichEditBox::BoldAt(std::int32_t position) const {
  return (FormatAt(position).dwEffects & CFE_BOLD) != 0;
}

}  // namespace hostseal
