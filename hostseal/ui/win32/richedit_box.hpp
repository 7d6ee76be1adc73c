// RichEditBox: the status log's rich-text box on the system's RichEdit control (RICHEDIT50W of
// msftedit.dll).
//
// Text() gives the lines joined by "\r\n", and positions count characters of that text. The
// control keeps one character, "\r", for each line break: a position between the two
// characters of a break counts as the start of the next line, and a position past the last
// break is the end of the box. The box does not own the control; the window does.
#pragma once

#include <windows.h>

#include <richedit.h>

#include <cstdint>
#include <string>

#include "hostseal/log/rich_text_box.hpp"

namespace hostseal {

class RichEditBox final : public RichTextBox {
 public:
  explicit RichEditBox(HWND edit) : m_Edit(edit) {}

  // Loads msftedit.dll once, which registers the RICHEDIT50W class; raises RaisedError when the
  // system has no such library.
  static void LoadControlLibrary();

  // The control's own visibility: a log in a window that is not shown yet still takes lines.
  bool Visible() const override;
  void SetFocus() override;
  std::u16string Text() const override;
  std::int32_t TextLength() const override;
  void SetSelStart(std::int32_t position) override;
  void SetSelColor(OleColor color) override;
  void SetSelBold(bool bold) override;
  void SetSelText(const std::u16string& text) override;

  // The colour and weight of the character at a position of Text(), read back from the
  // control; the control's default colour and false for a position past the end. The
  // selection is left as it was.
  OleColor ColorAt(std::int32_t position) const;
  bool BoldAt(std::int32_t position) const;

 private:
  LONG ToControlPosition(std::int32_t position) const;
  CHARFORMAT2W FormatAt(std::int32_t position) const;

  HWND m_Edit;
};

}  // namespace hostseal
