// Form1 on Qt's offscreen platform: its status frame at the first, the smallest and a large
// size, its widgets read and set for the controller (whose rules form1_controller_test.cpp
// checks), and a file job cancelled or closed from inside Qt's event loop.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/ui/qt/form1.hpp"
#include "hostseal/ui/qt/qt_rich_text_box.hpp"
#include "tests/support/file_bytes.hpp"
#include "tests/support/recording_sink.hpp"
#include "tests/ui/form1_support.hpp"

namespace hostseal::testing {
namespace {

class Form1Test : public ::testing::Test {
 protected:
  Form1Test() : m_Form(m_Sink, InjectedQueries(), Dialogs()) {
    m_Form.show();
    m_DuringJobTimer.setSingleShot(true);
    QObject::connect(&m_DuringJobTimer, &QTimer::timeout, [this] { m_DuringJob(); });
  }

  // The dialogs hand out the names that the test queued, then "" (cancelled). The save
  // dialog, the last step before a job, has m_DuringJob run inside the job's progress.
  Form1::FileDialogs Dialogs() {
    Form1::FileDialogs dialogs;
    dialogs.openFile = [this](QWidget*, const QString&) { return TakeFirst(m_OpenNames); };
    dialogs.saveFile = [this](QWidget*, const QString&) {
      if (m_DuringJob) m_DuringJobTimer.start();
      return TakeFirst(m_SaveNames);
    };
    return dialogs;
  }

  template <class Widget>
  Widget* Find(const char* name) {
    auto* widget = m_Form.findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  void Click(const char* button) { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }

  // The log's lines, each with the colour of its first character.
  std::vector<ShownLine> Lines() {
    return ShownLines(QtRichTextBox(*Find<QTextEdit>("StatusTxt")));
  }

  int PixelsX(int twips) { return qRound(twips * m_Form.logicalDpiX() / 1440.0); }
  int PixelsY(int twips) { return qRound(twips * m_Form.logicalDpiY() / 1440.0); }
  // The log's rectangle in its frame at the saved place and size, in pixels.
  QRect SavedLogGeometry() { return {PixelsX(120), PixelsY(240), PixelsX(5415), PixelsY(3735)}; }

  RecordingSink m_Sink;
  std::vector<QString> m_OpenNames;
  std::vector<QString> m_SaveNames;
  Form1 m_Form;
  std::function<void()> m_DuringJob;
  QTimer m_DuringJobTimer;  // fires at the job's first progress report
};

TEST_F(Form1Test, TheStatusLogSitsInItsFrameAtItsSizeInPixels) {
  auto* frame = Find<QGroupBox>("StatusFrame");
  auto* log = Find<QTextEdit>("StatusTxt");
  EXPECT_EQ(frame->title(), QStringLiteral("状态栏"));
  EXPECT_EQ(log->parentWidget(), frame);
  EXPECT_EQ(log->geometry(), SavedLogGeometry());
  EXPECT_TRUE(frame->geometry().contains(log->geometry().translated(frame->pos())));
  EXPECT_TRUE(log->isReadOnly());
  EXPECT_EQ(log->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(log->font().families().value(0), QStringLiteral("宋体"));
  EXPECT_EQ(log->font().pointSize(), 12);
  EXPECT_EQ(log->font().weight(), QFont::Normal);
  EXPECT_EQ(m_Form.windowTitle(), QStringLiteral("hostseal"));
}

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
  const QRect saved = SavedLogGeometry();
  const QMargins margins(PixelsX(120), PixelsY(240), PixelsX(120), PixelsY(120));

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

// The key widgets are read for the controller, the widgets it names are the ones disabled
// during a job, and the job's progress serves Qt's event loop: Cancel clicked there stops it,
// and a close there closes the window once it has stopped.
TEST_F(Form1Test, TheWidgetsReachTheControllerAndAJobStopsFromTheEventLoop) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const auto name = [&dir](const char* file) { return dir.filePath(QString::fromLatin1(file)); };
  WriteFile(name("plain.bin").toStdString(), std::string(4'000'017, 'p'));  // two chunks
  auto* kind = Find<QComboBox>("KeyKindCbo");
  auto* key = Find<QLineEdit>("KeyTxt");
  auto* bits = Find<QComboBox>("KeyBitsCbo");
  EXPECT_FALSE(key->isEnabled());
  kind->setCurrentIndex(kind->findData(static_cast<int>(KeyChoice::Kind::kPassPhrase)));
  EXPECT_TRUE(key->isEnabled() && bits->isEnabled());
  EXPECT_EQ(key->echoMode(), QLineEdit::Password);
  key->setText(QStringLiteral("phrase"));
  m_OpenNames = {name("plain.bin"), name("sealed.bin"), name("sealed.bin"), name("plain.bin")};
  m_SaveNames = {name("sealed.bin"), name("a.bin"), name("b.bin"), name("sealed.bin")};
  for (const int keyBits : {256, 128, 256}) {  // the second has the wrong key size
    bits->setCurrentIndex(bits->findData(keyBits));
    Click(m_OpenNames.size() == 4 ? "EncryptFileCmd" : "DecryptFileCmd");
  }
  EXPECT_EQ(Find<QProgressBar>("FilePrg")->value(), Find<QProgressBar>("FilePrg")->maximum());
  bool onlyCancel = false;
  m_DuringJob = [&] {
    onlyCancel = !Find<QPushButton>("DecryptFileCmd")->isEnabled() &&
                 !Find<QLineEdit>("InputTxt")->isEnabled() && !key->isEnabled() &&
                 Find<QPushButton>("CancelCmd")->isEnabled();
    Click("CancelCmd");
  };
  Click("EncryptFileCmd");
  EXPECT_TRUE(onlyCancel);
  EXPECT_TRUE(key->isEnabled() && !Find<QPushButton>("CancelCmd")->isEnabled());
  std::vector<OleColor> colours;
  for (const ShownLine& line : Lines()) colours.push_back(line.color);
  EXPECT_EQ(colours, (std::vector<OleColor>{kGreen, kRed, kGreen, kRed}));
  EXPECT_EQ(ReadFile(name("b.bin").toStdString()), std::string(4'000'017, 'p'));

  m_DuringJob = [&] { EXPECT_FALSE(m_Form.close()); };
  m_OpenNames = {name("plain.bin")};
  m_SaveNames = {name("new.bin")};
  Click("EncryptFileCmd");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
            (QStringList{"a.bin", "b.bin", "plain.bin", "sealed.bin"}));
  EXPECT_FALSE(m_Form.isVisible());
}

TEST_F(Form1Test, TheDemonstrationFillsTheLogAndTheScreenshotIsAnImageOfTheWindow) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  m_Form.RunDemonstration();
  ASSERT_EQ(Lines().size(), 8U);  // five identity lines, a red one, then the text round trip
  EXPECT_EQ(Lines()[7], (ShownLine{u"Decrypt text: 主机标识 hostseal", kGreen}));
  const QString file = dir.filePath(QStringLiteral("shot.png"));
  m_Form.SaveScreenshot(file);
  const QImage image(file);
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), m_Form.size() * m_Form.devicePixelRatio());
  try {
    m_Form.SaveScreenshot(dir.filePath(QStringLiteral("no/such/dir/shot.png")));
    ADD_FAILURE() << "no error for a missing folder";
  } catch (const RaisedError& error) {
    EXPECT_EQ(error.Number(), 76) << error.Description();
  }
}

}  // namespace
}  // namespace hostseal::testing
