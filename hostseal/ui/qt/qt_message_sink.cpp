// QtMessageSink: shows one message and returns once the user has pressed OK.
#include "hostseal/ui/qt/qt_message_sink.hpp"

#include <QMessageBox>

namespace hostseal {

void QtMessageSink::Show(std::u16string_view text) {
  QMessageBox box(QMessageBox::NoIcon, m_Title,
                  QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())),
                  QMessageBox::Ok, m_Parent.data());
  box.setWindowModality(m_Parent ? Qt::WindowModal : Qt::ApplicationModal);
  box.exec();
}

}  // namespace hostseal
