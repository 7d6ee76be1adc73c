// TerminalBox: the status log's rich-text box on a terminal, for the command line.
//
// Text is appended to a stream (standard output in the tool) as UTF-8, with "\r\n" line breaks
// written as "\n". Green and red become the terminal's ANSI colours, any other colour a 24-bit
// colour, bold the bold attribute; all of them only when colours are switched on, which the
// tool does when standard output is a terminal, NO_COLOR is unset or empty and TERM is not
// "dumb". Without colours, a line that starts in red is marked "[failed] " on the stream (not
// in Text()), so that failures still stand out. A terminal can only append, so text always
// goes to the end, wherever the selection was put.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "hostseal/log/rich_text_box.hpp"

namespace hostseal {

class TerminalBox final : public RichTextBox {
 public:
  TerminalBox(std::ostream& out, bool colours);

  // True when the descriptor is a terminal that shows colour sequences (on Windows: a console
  // with virtual-terminal processing on), NO_COLOR is unset or empty and TERM is not "dumb".
  static bool ColoursWanted(int fd);
  // The same decision from the two variables (nullptr: unset) and what the terminal takes.
  static bool ColoursWanted(const char* noColor, const char* term, bool colourTerminal);

  bool Visible() const override { return true; }
  void SetFocus() override {}
  std::u16string Text() const override { return m_Text; }
  std::int32_t TextLength() const override { return static_cast<std::int32_t>(m_Text.size()); }
  void SetSelStart(std::int32_t position) override;
  void SetSelColor(OleColor color) override;
  void SetSelBold(bool bold) override;
  void SetSelText(const std::u16string& text) override;

 private:
  void WriteSegment(const std::u16string& segment);

  std::ostream& m_Out;
  bool m_Colours;
  std::u16string m_Text;               // everything appended so far, as given
  std::optional<OleColor> m_SelColor;  // the colour at the end of the box; none: the default
  bool m_SelBold = false;
  bool m_AtLineStart = true;  // on the stream
};

}  // namespace hostseal
