// The window's message box: modal, an OK button only, the application's title, and Show
// returns once OK is pressed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "hostseal/ui/qt/qt_message_sink.hpp"

namespace hostseal::testing {
namespace {

struct SeenBox {
  bool found = false;
  QString title;
  QString text;
  bool modal = false;
  int buttons = 0;
  bool okOnly = false;
  bool enabled = false;
};

// Once the event loop of the modal box runs, reads the box and presses its OK button.
void PressOkWhenShown(SeenBox& seen) {
  QTimer::singleShot(0, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) {
      PressOkWhenShown(seen);  // not up yet: look again on the next turn of its loop
      return;
    }
    seen.found = true;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.modal = box->isModal();
    seen.buttons = static_cast<int>(box->buttons().size());
    seen.okOnly = box->standardButtons() == QMessageBox::Ok;
    seen.enabled = box->isEnabled() && box->button(QMessageBox::Ok)->isEnabled();
    if (!seen.enabled) {
      box->done(QMessageBox::Ok);  // a user could not press it; end the test anyway
      return;
    }
    box->button(QMessageBox::Ok)->click();
  });
}

// Over no window, and over a window disabled while it works on a file, where the box must
// still take its OK.
TEST(QtMessageSink, ShowsAModalBoxWithOkOnlyAndReturnsWhenItIsPressed) {
  const std::u16string message =
      u"warning - incorrect length field in decrypted file.\r\nWrong key or keysize?";
  for (const bool busy : {false, true}) {
    SCOPED_TRACE(busy);
    QWidget window;
    window.show();
    window.setEnabled(false);
    QtMessageSink sink(QStringLiteral("hostseal"));
    if (busy) sink.SetParent(&window);
    SeenBox seen;
    PressOkWhenShown(seen);
    sink.Show(message);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.title, QStringLiteral("hostseal"));
    EXPECT_EQ(seen.text, QString::fromStdU16String(message));
    EXPECT_TRUE(seen.modal);
    EXPECT_EQ(seen.buttons, 1);
    EXPECT_TRUE(seen.okOnly);
    EXPECT_TRUE(seen.enabled);
  }
}

}  // namespace
}  // namespace hostseal::testing
