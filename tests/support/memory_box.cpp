// MemoryBox: characters with their formats, an insertion point and an insertion format.
#include "tests/support/memory_box.hpp"

#include <algorithm>
#include <utility>

#include "hostseal/common/raised_error.hpp"

namespace hostseal {

void MemoryBox::SetFocus() {
  // The number and text that a control raises when it cannot take the focus.
  if (m_FocusFails) throw RaisedError(5, "Invalid procedure call or argument");
  ++m_FocusCount;
}

std::u16string MemoryBox::Text() const {
  std::u16string text;
  text.reserve(m_Cells.size());
  for (const Cell& cell : m_Cells) text.push_back(cell.ch);
  return text;
}

void MemoryBox::SetSelStart(std::int32_t position) {
  const auto size = static_cast<std::int32_t>(m_Cells.size());
  m_SelStart = std::clamp(position, 0, size);
  // The insertion point takes the format of the character before it; at the very start, that
  // of the first character, and in an empty box the box's default.
  if (m_SelStart > 0) {
    m_Insertion = m_Cells[static_cast<std::size_t>(m_SelStart - 1)].format;
  } else if (!m_Cells.empty()) {
    m_Insertion = m_Cells.front().format;
  } else {
    m_Insertion = m_Default;
  }
}

void MemoryBox::SetSelColor(OleColor color) {
  m_Insertion.color = color;
}

void MemoryBox::SetSelBold(bool bold) {
  m_Insertion.bold = bold;
}

void MemoryBox::SetSelText(const std::u16string& text) {
  std::vector<Cell> cells;
  cells.reserve(text.size());
  for (char16_t ch : text) cells.push_back(Cell{ch, m_Insertion});
  m_Cells.insert(m_Cells.begin() + m_SelStart, cells.begin(), cells.end());
  m_SelStart += static_cast<std::int32_t>(cells.size());
}

MemoryBox::Format MemoryBox::FormatAt(std::int32_t position) const {
  if (position < 0 || static_cast<std::size_t>(position) >= m_Cells.size()) return m_Default;
  return m_Cells[static_cast<std::size_t>(position)].format;
}

std::vector<MemoryBox::Line> MemoryBox::ColouredLines() const {
  std::vector<Line> lines;
  const std::u16string text = Text();
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find(u"\r\n", start);
    const OleColor color = FormatAt(static_cast<std::int32_t>(start)).color;
    if (end == std::u16string::npos) {
      lines.push_back(Line{text.substr(start), color});
      break;
    }
    lines.push_back(Line{text.substr(start, end - start), color});
    start = end + 2;
  }
  return lines;
}

std::vector<std::u16string> MemoryBox::Lines() const {
  std::vector<std::u16string> lines;
  for (Line& line : ColouredLines()) lines.push_back(std::move(line.text));
  return lines;
}

}  // namespace hostseal
