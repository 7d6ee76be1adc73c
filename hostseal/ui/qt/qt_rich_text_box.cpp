// QtRichTextBox: maps the status log's box properties onto a QTextEdit's cursor.
#include "hostseal/ui/qt/qt_rich_text_box.hpp"

#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <algorithm>

namespace hostseal {

void QtRichTextBox::SetFocus() {
  m_Edit.setFocus(Qt::OtherFocusReason);
}

std::u16string QtRichTextBox::Text() const {
  // The document's raw text, where U+2029 separates the lines, copied a line at a time: the
  // log asks for its text with every line it adds.
  const QString raw = m_Edit.document()->toRawText();
  const auto* chars = reinterpret_cast<const char16_t*>(raw.utf16());
  std::u16string text;
  text.reserve(static_cast<std::size_t>(raw.size() + m_Edit.document()->blockCount()));
  qsizetype from = 0;
  for (qsizetype at = raw.indexOf(QChar::ParagraphSeparator); at >= 0;
       at = raw.indexOf(QChar::ParagraphSeparator, from)) {
    text.append(chars + from, static_cast<std::size_t>(at - from));
    text += u"\r\n";
    from = at + 1;
  }
  text.append(chars + from, static_cast<std::size_t>(raw.size() - from));
  return text;
}

// Each block separator of the document is a line break of two characters in Text(); the
// document's last character is its final separator, which Text() does not have.
std::int32_t QtRichTextBox::TextLength() const {
  const QTextDocument& document = *m_Edit.document();
  return document.characterCount() - 1 + document.blockCount() - 1;
}

// A line break is two characters of Text() and one of the document; a position between its
// two characters counts as the start of the next line.
int QtRichTextBox::ToDocumentPosition(std::int32_t position) const {
  const QTextDocument& document = *m_Edit.document();
  const int end = document.characterCount() - 1;
  const std::int64_t wanted = std::max<std::int64_t>(position, 0);
  // The end of the box, where every line goes, without a walk over all lines.
  if (wanted >= std::int64_t{end} + document.blockCount() - 1) return end;
  std::int64_t lineStart = 0;  // position of the block's first character in Text()
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    const int length = block.length() - 1;  // without its separator
    if (wanted <= lineStart + length) {
      return block.position() + static_cast<int>(wanted - lineStart);
    }
    lineStart += length + 2;
    if (wanted < lineStart && block.next().isValid()) return block.next().position();
  }
  return end;
}

void QtRichTextBox::SetSelStart(std::int32_t position) {
  QTextCursor cursor = m_Edit.textCursor();
  // Moving the cursor drops its own insertion format: it takes the format of the character
  // before the new position.
  cursor.setPosition(ToDocumentPosition(position));
  m_Edit.setTextCursor(cursor);
}

void QtRichTextBox::SetSelColor(OleColor color) {
  m_Edit.setTextColor(ToQColor(color));
}

void QtRichTextBox::SetSelBold(bool bold) {
  m_Edit.setFontWeight(bold ? QFont::Bold : QFont::Normal);
}

void QtRichTextBox::SetSelText(const std::u16string& text) {
  QTextCursor cursor = m_Edit.textCursor();
  cursor.insertText(QString::fromStdU16String(text));
  m_Edit.setTextCursor(cursor);  // also scrolls the new text into view
}

QTextCharFormat QtRichTextBox::FormatAt(std::int32_t position) const {
  const QTextDocument& document = *m_Edit.document();
  const int at = ToDocumentPosition(position);
  const QTextBlock block = document.findBlock(at);
  if (!block.isValid() || at >= document.characterCount() - 1) return {};
  for (auto it = block.begin(); !it.atEnd(); ++it) {
    const QTextFragment fragment = it.fragment();
    if (fragment.contains(at)) return fragment.charFormat();
  }
  return block.charFormat();  // the line break at the end of the block
}

OleColor QtRichTextBox::ColorAt(std::int32_t position) const {
  const QTextCharFormat format = FormatAt(position);
  if (format.hasProperty(QTextFormat::ForegroundBrush)) {
    return ToOleColor(format.foreground().color());
  }
  return ToOleColor(m_Edit.palette().color(QPalette::Text));
}

bool QtRichTextBox::BoldAt(std::int32_t position) const {
  return FormatAt(position).fontWeight() >= QFont::Bold;
}

QColor QtRichTextBox::ToQColor(OleColor color) {
  return QColor(static_cast<int>(color & 0xFFU), static_cast<int>((color >> 8) & 0xFFU),
                static_cast<int>((color >> 16) & 0xFFU));
}

OleColor QtRichTextBox::ToOleColor(const QColor& color) {
  return static_cast<OleColor>(color.red()) | (static_cast<OleColor>(color.green()) << 8) |
         (static_cast<OleColor>(color.blue()) << 16);
}

}  // namespace hostseal
