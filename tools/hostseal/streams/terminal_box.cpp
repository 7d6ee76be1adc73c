#include "tools/hostseal/streams/terminal_box.hpp"

#include <cstdlib>
#include <string>
#include <string_view>

#include "hostseal/common/utf8.hpp"
#include "tools/hostseal/streams/terminal_colours.hpp"

namespace hostseal {

namespace {

constexpr char kReset[] = "\x1b[0m";
constexpr char kFailedMark[] = "[failed] ";

// The SGR parameters that select a colour given as 0x00BBGGRR.
std::string ColourParameters(OleColor color) {
  if (color == kGreen) return "32";
  if (color == kRed) return "31";
  const auto channel = [color](int shift) { return std::to_string((color >> shift) & 0xFFu); };
  return "38;2;" + channel(0) + ";" + channel(8) + ";" + channel(16);
}

}  // namespace

TerminalBox::TerminalBox(std::ostream& out, bool colours) : m_Out(out), m_Colours(colours) {}

bool TerminalBox::ColoursWanted(int fd) {
  return ColoursWanted(std::getenv("NO_COLOR"), std::getenv("TERM"), TerminalTakesColours(fd));
}

bool TerminalBox::ColoursWanted(const char* noColor, const char* term, bool colourTerminal) {
  if (noColor != nullptr && noColor[0] != '\0') return false;
  if (term != nullptr && std::string_view(term) == "dumb") return false;
  return colourTerminal;
}

void TerminalBox::SetSelStart(std::int32_t /*position*/) {
  // Text is only ever appended; the insertion point is always the end.
}

void TerminalBox::SetSelColor(OleColor color) {
  m_SelColor = color;
}

void TerminalBox::SetSelBold(bool bold) {
  m_SelBold = bold;
}

void TerminalBox::SetSelText(const std::u16string& text) {
  m_Text += text;
  // Line breaks ("\r\n", or a lone "\r" or "\n") end the coloured segment before them, so that
  // a colour never runs on into the next line.
  std::u16string segment;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c != u'\r' && c != u'\n') {
      segment += c;
      continue;
    }
    if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    WriteSegment(segment);
    segment.clear();
    m_Out << '\n';
    m_AtLineStart = true;
  }
  WriteSegment(segment);
  m_Out.flush();
}

void TerminalBox::WriteSegment(const std::u16string& segment) {
  if (segment.empty()) return;
  // Without colour, a red line would read like a green one: it is marked instead.
  if (!m_Colours && m_AtLineStart && m_SelColor == kRed) m_Out << kFailedMark;
  m_AtLineStart = false;
  const bool styled = m_Colours && (m_SelColor.has_value() || m_SelBold);
  if (styled) {
    std::string sgr = "\x1b[";
    if (m_SelBold) sgr += m_SelColor ? "1;" : "1";
    if (m_SelColor) sgr += ColourParameters(*m_SelColor);
    m_Out << sgr << 'm';
  }
  m_Out << ToUtf8(segment);
  if (styled) m_Out << kReset;
}

}  // namespace hostseal
