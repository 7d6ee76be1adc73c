// MemoryBox: a rich-text box held in memory, each character with its colour and weight.
//
// It behaves like the window's box as far as the status log can tell: the insertion point
// takes the format of the character before it when it is moved, SelColor and SelBold set the
// format of the text inserted next, and SelText inserts at the insertion point and moves it
// past the new text. Tests of every area use it to read what was logged and in which colour.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hostseal/log/rich_text_box.hpp"

namespace hostseal {

class MemoryBox final : public RichTextBox {
 public:
  struct Format {
    OleColor color = 0x000000;  // the box's own fore colour: black
    bool bold = false;
    bool operator==(const Format&) const = default;
  };

  bool Visible() const override { return true; }
  void SetFocus() override;
  std::u16string Text() const override;
  std::int32_t TextLength() const override { return static_cast<std::int32_t>(m_Cells.size()); }
  void SetSelStart(std::int32_t position) override;
  void SetSelColor(OleColor color) override;
  void SetSelBold(bool bold) override;
  void SetSelText(const std::u16string& text) override;

  // When set, SetFocus raises the error that a box which cannot take the focus raises.
  void SetFocusFails(bool fails) { m_FocusFails = fails; }

  std::int32_t FocusCount() const { return m_FocusCount; }
  // The format of the character at a position; the box's default format past the end.
  Format FormatAt(std::int32_t position) const;
  // The lines of the box without their line breaks ("a\r\nb\r\n" gives {"a", "b"}).
  std::vector<std::u16string> Lines() const;
  // The same lines, each with the colour of its first character (of its line break when the
  // line is empty).
  struct Line {
    std::u16string text;
    OleColor color;
    bool operator==(const Line&) const = default;
  };
  std::vector<Line> ColouredLines() const;

 private:
  struct Cell {
    char16_t ch;
    Format format;
  };

  std::vector<Cell> m_Cells;
  Format m_Default;
  Format m_Insertion;
  std::int32_t m_SelStart = 0;
  std::int32_t m_FocusCount = 0;
  bool m_FocusFails = false;
};

}  // namespace hostseal
