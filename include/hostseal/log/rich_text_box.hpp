// RichTextBox: the few properties of a rich-text box that the status log uses.
//
// The window implements it with a QTextEdit, the command line with the terminal, the tests in
// memory. Colours are OLE colour values, 0x00BBGGRR.
#pragma once

#include <cstdint>
#include <string>

namespace hostseal {

using OleColor = std::uint32_t;

inline constexpr OleColor kGreen = 0x00FF00;
inline constexpr OleColor kRed = 0x0000FF;

class RichTextBox {
 public:
  virtual ~RichTextBox() = default;
  virtual bool Visible() const = 0;
  virtual void SetFocus() = 0;
  virtual std::u16string Text() const = 0;
  // The length of Text(), which the box knows without making the copy: the log asks for it
  // with every line, and a copy would make a long log slower with each line.
  virtual std::int32_t TextLength() const = 0;
  virtual void SetSelStart(std::int32_t position) = 0;
  virtual void SetSelColor(OleColor color) = 0;
  virtual void SetSelBold(bool bold) = 0;
  virtual void SetSelText(const std::u16string& text) = 0;
};

}  // namespace hostseal
