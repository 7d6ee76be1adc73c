// Form1 on Qt's offscreen platform: the shared cases of form1_cases.hpp over its widgets, and
// what only Qt's window has: the log's palette and its growth with the window.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <array>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "hostseal/ui/qt/form1.hpp"
#include "hostseal/ui/qt/qt_rich_text_box.hpp"
#include "tests/ui/form1_cases.hpp"

namespace hostseal::testing {
namespace {

// Form1 driven through its widgets, found by their names.
class QtWindow {
 public:
  QtWindow(MessageSink& sink, Form1Script& script)
      : m_Script(script), m_Form(sink, InjectedQueries(), Dialogs()) {
    m_Form.show();
    m_DuringJobTimer.setSingleShot(true);
    QObject::connect(&m_DuringJobTimer, &QTimer::timeout, [this] { m_Script.duringJob(); });
  }

  template <class Widget>
  Widget* Find(const char* name) {
    auto* widget = m_Form.findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QTextEdit* Log() { return Find<QTextEdit>("StatusTxt"); }
  QWidget* Find(Widget widget) {
    static constexpr std::array<const char*, 6> kNames = {
        "InputTxt", "KeyTxt", "KeyBitsCbo", "EncryptFileCmd", "DecryptFileCmd", "CancelCmd"};
    return Find<QWidget>(kNames[static_cast<std::size_t>(widget)]);
  }
  void Click(Widget button) { QTest::mouseClick(Find(button), Qt::LeftButton); }
  bool Enabled(Widget widget) { return Find(widget)->isEnabled(); }
  void ChooseKeyKind(KeyChoice::Kind kind) {
    auto* kinds = Find<QComboBox>("KeyKindCbo");
    kinds->setCurrentIndex(kinds->findData(static_cast<int>(kind)));
  }
  void ChooseKeyBits(int bits) {
    auto* sizes = Find<QComboBox>("KeyBitsCbo");
    sizes->setCurrentIndex(sizes->findData(bits));
  }
  void SetKeyText(const std::u16string& text) {
    Find<QLineEdit>("KeyTxt")->setText(QString::fromStdU16String(text));
  }
  bool KeyHidden() { return Find<QLineEdit>("KeyTxt")->echoMode() == QLineEdit::Password; }
  int Progress() {
    auto* bar = Find<QProgressBar>("FilePrg");
    EXPECT_EQ(bar->maximum(), 1000);
    return bar->value();
  }
  // The log's lines, each with the colour of its first character.
  std::vector<ShownLine> Lines() { return ShownLines(QtRichTextBox(*Log())); }
  // The close is refused while the job runs; the window closes once the job has stopped.
  void Close() { EXPECT_FALSE(m_Form.close()); }
  bool IsOpen() const { return m_Form.isVisible(); }

  std::u16string Title() const { return m_Form.windowTitle().toStdU16String(); }
  std::u16string FrameCaption() { return Find<QGroupBox>("StatusFrame")->title().toStdU16String(); }
  std::array<int, 4> LogPlace() {
    EXPECT_EQ(Log()->parentWidget(), Find<QGroupBox>("StatusFrame"));
    const QRect place = Log()->geometry();
    return {place.x(), place.y(), place.width(), place.height()};
  }
  int PixelsX(int twips) const { return qRound(twips * m_Form.logicalDpiX() / 1440.0); }
  int PixelsY(int twips) const { return qRound(twips * m_Form.logicalDpiY() / 1440.0); }
  TextFont LogFont() {
    const QFont font = Log()->font();
    return {
        font.families().value(0).toStdU16String(), font.pointSize() * 20,
        font.weight() == QFont::Normal && !font.italic() && !font.underline() && !font.strikeOut()};
  }
  bool LogReadOnly() { return Log()->isReadOnly(); }
  bool LogScrollsVertically() { return Log()->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn; }

  void RunDemonstration() { m_Form.RunDemonstration(); }
  void SaveScreenshot(const std::u16string& name) {
    m_Form.SaveScreenshot(QString::fromStdU16String(name));
  }
  std::pair<int, int> WindowPixels() const {
    const QSize size = m_Form.size() * m_Form.devicePixelRatio();
    return {size.width(), size.height()};
  }

  Form1& Form() { return m_Form; }

 private:
  Form1::FileDialogs Dialogs() {
    Form1::FileDialogs dialogs;
    dialogs.openFile = [this](QWidget*, const QString&) {
      return QString::fromStdU16String(TakeFirst(m_Script.openNames));
    };
    dialogs.saveFile = [this](QWidget*, const QString&) {
      if (m_Script.duringJob) m_DuringJobTimer.start();
      return QString::fromStdU16String(TakeFirst(m_Script.saveNames));
    };
    return dialogs;
  }

  Form1Script& m_Script;
  Form1 m_Form;
  QTimer m_DuringJobTimer;  // fires at the job's first progress report
};

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, Form1Cases, QtWindow);

// What Qt's window has beyond the shared cases: the log's colours and its growth.
class Form1Test : public Form1Cases<QtWindow> {
 protected:
  template <class Widget>
  Widget* Find(const char* name) {
    return m_Window.Find<Widget>(name);
  }
  Form1& m_Form = m_Window.Form();
};

// WCAG 2 contrast ratio of two colours.
double Contrast(const QColor& a, const QColor& b) {
  const auto luminance = [](const QColor& c) {
    const auto linear = [](double v) {
      return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
  };
  const double la = luminance(a);
  const double lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST_F(Form1Test, GreenAndRedLinesReadWellOnTheLogsBackground) {
  auto* log = Find<QTextEdit>("StatusTxt");
  const QColor base = log->palette().color(QPalette::Base);
  for (const OleColor line : {kGreen, kRed}) {
    EXPECT_GE(Contrast(QtRichTextBox::ToQColor(line), base), 4.5) << std::hex << line;
  }
  EXPECT_GE(Contrast(log->palette().color(QPalette::Text), base), 4.5);
  // The box is painted in that colour: the corner of the empty log shows it.
  const QImage image = log->viewport()->grab().toImage();
  EXPECT_EQ(image.pixelColor(image.width() - 2, image.height() - 2).rgb(), base.rgb());
}

TEST_F(Form1Test, TheLogGrowsWithTheWindowFromItsSavedSize) {
  auto* frame = Find<QGroupBox>("StatusFrame");
  auto* log = Find<QTextEdit>("StatusTxt");
  const QSize first = m_Form.size();
  const QRect saved(m_Window.PixelsX(120), m_Window.PixelsY(240), m_Window.PixelsX(5415),
                    m_Window.PixelsY(3735));
  const QMargins margins(m_Window.PixelsX(120), m_Window.PixelsY(240), m_Window.PixelsX(120),
                         m_Window.PixelsY(120));

  // The log keeps its margins in the frame, which stays clear of the operations.
  const auto expectTidy = [&](const char* at) {
    EXPECT_EQ(log->geometry(), frame->rect().marginsRemoved(margins)) << at;
    EXPECT_LT(frame->geometry().right(),
              Find<QPushButton>("EncryptCmd")->mapTo(&m_Form, QPoint()).x())
        << at;
  };

  m_Form.resize(1, 1);  // the smallest size the window takes
  EXPECT_EQ(m_Form.size(), m_Form.minimumSize());
  EXPECT_EQ(m_Form.height(), first.height());
  EXPECT_EQ(log->geometry(), saved);
  expectTidy("smallest");

  m_Form.resize(1000, 650);
  // The frame reaches the window's bottom edge, and the log has most of the new width.
  EXPECT_EQ(m_Form.height() - frame->geometry().bottom() - 1,
            m_Form.layout()->contentsMargins().bottom());
  EXPECT_GT(log->width(), saved.width() + (1000 - first.width()) / 2);
  expectTidy("1000x650");
}

}  // namespace
}  // namespace hostseal::testing
