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

TEST(QtMessageSink, ShowsAModalBoxWithOkOnlyAndReturnsWhenItIsPressed) {
  QtMessageSink sink(QStringLiteral("hostseal"));
  SeenBox seen;
  PressOkWhenShown(seen);
  sink.Show(u"warning - incorrect length field in decrypted file.\r\nWrong key or keysize?");
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.title, QStringLiteral("hostseal"));
  EXPECT_EQ(seen.text,
            QStringLiteral(
                "warning - incorrect length field in decrypted file.\r\nWrong key or keysize?"));
  EXPECT_TRUE(seen.modal);
  EXPECT_EQ(seen.buttons, 1);
  EXPECT_TRUE(seen.okOnly);
}

TEST(QtMessageSink, CanBeAcknowledgedOverAWindowThatIsBusy) {
  QWidget window;  // a window disabled while it works on a file
  window.show();
  window.setEnabled(false);
  QtMessageSink sink(QStringLiteral("hostseal"));
  sink.SetParent(&window);
  SeenBox seen;
  PressOkWhenShown(seen);
  sink.Show(u"Text not Hex data");
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.text, QStringLiteral("Text not Hex data"));
  EXPECT_TRUE(seen.enabled);
}

}  // namespace
}  // namespace hostseal::testing
