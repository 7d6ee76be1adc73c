// QtRichTextBox: the status log's rich-text box on a QTextEdit.
//
// Text() gives the document's lines joined by "\r\n", and positions count characters of that
// text, so that a position past the last line break is the end of the box. The adapter does
// not own the QTextEdit; the window does.
#pragma once

#include <QTextEdit>

#include "hostseal/log/rich_text_box.hpp"

namespace hostseal {

class QtRichTextBox final : public RichTextBox {
 public:
  explicit QtRichTextBox(QTextEdit& edit) : m_Edit(edit) {}

  // The control's own visibility: a log in a window that is not shown yet still takes lines.
  bool Visible() const override { return !m_Edit.isHidden(); }
  void SetFocus() override;
  std::u16string Text() const override;
  std::int32_t TextLength() const override;
  void SetSelStart(std::int32_t position) override;
  void SetSelColor(OleColor color) override;
  void SetSelBold(bool bold) override;
  void SetSelText(const std::u16string& text) override;

  // The colour and weight of the character at a position of Text(); the box's text colour
  // and false for a position past the end.
  OleColor ColorAt(std::int32_t position) const;
  bool BoldAt(std::int32_t position) const;

  static QColor ToQColor(OleColor color);
  static OleColor ToOleColor(const QColor& color);

 private:
  int ToDocumentPosition(std::int32_t position) const;
  QTextCharFormat FormatAt(std::int32_t position) const;

  QTextEdit& m_Edit;
};

}  // namespace hostseal
