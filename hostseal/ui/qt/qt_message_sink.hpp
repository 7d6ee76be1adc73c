// QtMessageSink: the library's message box as a modal QMessageBox with an OK button only and
// the application's title as its caption.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "hostseal/common/message_sink.hpp"

namespace hostseal {

class QtMessageSink final : public MessageSink {
 public:
  explicit QtMessageSink(QString title) : m_Title(std::move(title)) {}

  // The window the box is modal to; without one it is application modal.
  void SetParent(QWidget* parent) { m_Parent = parent; }
  void Show(std::u16string_view text) override;

 private:
  QString m_Title;
  QPointer<QWidget> m_Parent;
};

}  // namespace hostseal
