// Form1 on Qt's offscreen platform: its status frame, and each operation's status lines after
// a click, with a recording message sink, injected host queries and file names.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "hostseal/ui/qt/form1.hpp"
#include "hostseal/ui/qt/qt_rich_text_box.hpp"
#include "tests/support/recording_sink.hpp"
#include "tests/ui/identity_oracle.hpp"

namespace hostseal::testing {
namespace {

struct ShownLine {
  std::u16string text;
  OleColor color;
  bool operator==(const ShownLine&) const = default;
};

void PrintTo(const ShownLine& line, std::ostream* out) {
  *out << ToUtf8(line.text) << " [" << std::hex << line.color << "]";
}

std::string ReadFile(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const QString& path, const std::string& bytes) {
  std::ofstream out(path.toStdString(), std::ios::binary | std::ios::trunc);
  out << bytes;
}

class Form1Test : public ::testing::Test {
 protected:
  Form1Test() : m_Form(m_Sink, Queries(), Dialogs()) { m_Form.show(); }

  HostQueries Queries() {
    HostQueries queries;
    queries.hostName = [] { return std::u16string(u"box1"); };
    queries.hostIP = [](const std::u16string&) { return std::u16string(u"10.0.0.5"); };
    queries.macAddress = [](std::u16string, std::u16string& sMac) {
      sMac = u"00-C-29-A-B-1";
      return true;
    };
    queries.cpu = [] { return std::u16string(u"BFEBFBFF000906EA"); };
    queries.defaultRoute = [] { return std::optional<InterfaceIdentity>(); };
    return queries;
  }

  // The dialogs hand out the names that the test queued, then "" (cancelled).
  Form1::FileDialogs Dialogs() {
    Form1::FileDialogs dialogs;
    dialogs.openFile = [this](QWidget*, const QString&) { return Next(m_OpenNames); };
    dialogs.saveFile = [this](QWidget*, const QString&) { return Next(m_SaveNames); };
    return dialogs;
  }

  static QString Next(std::vector<QString>& names) {
    if (names.empty()) return {};
    QString name = names.front();
    names.erase(names.begin());
    return name;
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
    QtRichTextBox box(*Find<QTextEdit>("StatusTxt"));
    std::vector<ShownLine> lines;
    const std::u16string text = box.Text();
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find(u"\r\n", start);
      if (end == std::u16string::npos) end = text.size();
      lines.push_back(
          {text.substr(start, end - start), box.ColorAt(static_cast<std::int32_t>(start))});
      start = end + 2;
    }
    return lines;
  }

  void SetInput(const QString& text) { Find<QLineEdit>("InputTxt")->setText(text); }
  QString Result() { return Find<QLineEdit>("ResultTxt")->text(); }

  RecordingSink m_Sink;
  std::vector<QString> m_OpenNames;
  std::vector<QString> m_SaveNames;
  Form1 m_Form;
};

TEST_F(Form1Test, TheStatusLogSitsInItsFrameAtItsSizeInPixels) {
  auto* frame = Find<QGroupBox>("StatusFrame");
  auto* log = Find<QTextEdit>("StatusTxt");
  EXPECT_EQ(frame->title(), QStringLiteral("状态栏"));
  EXPECT_EQ(log->parentWidget(), frame);
  const double dpiX = log->logicalDpiX();
  const double dpiY = log->logicalDpiY();
  EXPECT_EQ(log->geometry(), QRect(qRound(120 * dpiX / 1440), qRound(240 * dpiY / 1440),
                                   qRound(5415 * dpiX / 1440), qRound(3735 * dpiY / 1440)));
  EXPECT_TRUE(frame->geometry().contains(log->geometry().translated(frame->pos())));
  EXPECT_TRUE(log->isReadOnly());
  EXPECT_EQ(log->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(log->font().families().value(0), QStringLiteral("宋体"));
  EXPECT_EQ(log->font().pointSize(), 12);
  EXPECT_EQ(log->font().weight(), QFont::Normal);
  EXPECT_EQ(m_Form.windowTitle(), QStringLiteral("hostseal"));
}

TEST_F(Form1Test, IdentityReportsTheInjectedAnswers) {
  Click("IdentityCmd");
  const SealedText sealed = SealWithOracle(
      ComposeIdentityLine(u"box1", u"10.0.0.5", u"00-C-29-A-B-1", u"BFEBFBFF000906EA"));
  EXPECT_EQ(Lines(), (std::vector<ShownLine>{
                         {u"Host name: box1", kGreen},
                         {u"IP address: 10.0.0.5", kGreen},
                         {u"MAC address: 00-C-29-A-B-1", kGreen},
                         {u"CPU: BFEBFBFF000906EA", kGreen},
                         {u"Encrypted identity: " + sealed.text, sealed.color},
                     }));
  EXPECT_TRUE(m_Sink.messages.empty());
}

TEST_F(Form1Test, EncryptShowsTheCiphersHexTextOrItsError) {
  SetInput(QStringLiteral("主机 hostseal"));
  Click("EncryptCmd");
  const SealedText sealed = SealWithOracle(u"主机 hostseal");
  ASSERT_EQ(Lines(), (std::vector<ShownLine>{{u"Encrypt text: " + sealed.text, sealed.color}}));
  EXPECT_EQ(Result().toStdU16String(), sealed.color == kGreen ? sealed.text : u"");
  EXPECT_TRUE(Find<QLineEdit>("ResultTxt")->isReadOnly());
}

TEST_F(Form1Test, TextComesBackThroughEncryptAndDecrypt) {
  if (!TextLayerWorks()) GTEST_SKIP() << "the text encryption layer is not built yet";
  SetInput(QStringLiteral("round trip"));
  Click("EncryptCmd");
  Click("UseResultCmd");
  Click("DecryptCmd");
  EXPECT_EQ(Result(), QStringLiteral("round trip"));
  const std::vector<ShownLine> lines = Lines();
  ASSERT_EQ(lines.size(), 2U);
  EXPECT_EQ(lines[1], (ShownLine{u"Decrypt text: round trip", kGreen}));
  EXPECT_TRUE(m_Sink.messages.empty());
}

TEST_F(Form1Test, DecryptOfTextWithoutHexDigitsIsRedAndTheMessageGoesToTheSink) {
  if (!TextLayerWorks()) GTEST_SKIP() << "the text encryption layer is not built yet";
  SetInput(QStringLiteral("xyz zyx"));
  Click("DecryptCmd");
  const std::vector<ShownLine> lines = Lines();
  ASSERT_EQ(lines.size(), 1U);
  EXPECT_EQ(lines[0].color, kRed);
  EXPECT_EQ(m_Sink.messages, std::vector<std::u16string>{u"Text not Hex data"});
  EXPECT_TRUE(Result().isEmpty());
}

TEST_F(Form1Test, FilesGoThroughEncryptAndDecryptUnderAPassPhrase) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString plain = dir.filePath(QStringLiteral("plain.bin"));
  const QString sealed = dir.filePath(QStringLiteral("sealed.bin"));
  const QString back = dir.filePath(QStringLiteral("back.bin"));
  std::string content(4'000'017, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 % 251);
  WriteFile(plain, content);

  auto* kind = Find<QComboBox>("KeyKindCbo");
  kind->setCurrentIndex(kind->findData(static_cast<int>(KeyChoice::Kind::kPassPhrase)));
  Find<QLineEdit>("KeyTxt")->setText(QStringLiteral("密码 phrase"));
  auto* bits = Find<QComboBox>("KeyBitsCbo");
  bits->setCurrentIndex(bits->findData(256));

  m_OpenNames = {plain, sealed};
  m_SaveNames = {sealed, back};
  Click("EncryptFileCmd");
  std::vector<ShownLine> lines = Lines();
  ASSERT_EQ(lines.size(), 1U);
  if (lines[0].color == kRed && lines[0].text.find(u"not available yet") != std::u16string::npos) {
    GTEST_SKIP() << "the file encryption layer is not built yet";
  }
  const std::u16string files = plain.toStdU16String() + u" -> " + sealed.toStdU16String();
  EXPECT_EQ(lines[0], (ShownLine{u"Encrypt file: " + files, kGreen}));
  EXPECT_EQ(ReadFile(sealed).size(), 4'000'032U);
  EXPECT_EQ(Find<QProgressBar>("FilePrg")->value(), Find<QProgressBar>("FilePrg")->maximum());
  EXPECT_TRUE(m_Form.isEnabled());

  Click("DecryptFileCmd");
  lines = Lines();
  ASSERT_EQ(lines.size(), 2U);
  EXPECT_EQ(lines[1], (ShownLine{u"Decrypt file: " + sealed.toStdU16String() + u" -> " +
                                     back.toStdU16String(),
                                 kGreen}));
  EXPECT_TRUE(ReadFile(back) == content);
  EXPECT_TRUE(m_Sink.messages.empty());

  // Under another pass phrase the length field is out of range: red, and the cipher's warning.
  Find<QLineEdit>("KeyTxt")->setText(QStringLiteral("another phrase"));
  m_OpenNames = {sealed};
  m_SaveNames = {back};
  Click("DecryptFileCmd");
  lines = Lines();
  ASSERT_EQ(lines.size(), 3U);
  EXPECT_EQ(lines[2].color, kRed);
  EXPECT_EQ(m_Sink.messages.size(), 1U);
}

TEST_F(Form1Test, AFileErrorBecomesARedLineAndTheWindowWorksOn) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  m_OpenNames = {dir.filePath(QStringLiteral("missing.bin"))};
  m_SaveNames = {dir.filePath(QStringLiteral("out.bin"))};
  Click("EncryptFileCmd");
  const std::vector<ShownLine> lines = Lines();
  ASSERT_EQ(lines.size(), 1U);
  EXPECT_EQ(lines[0].color, kRed);
  EXPECT_EQ(lines[0].text.rfind(u"Encrypt file: ", 0), 0U);
  EXPECT_GT(lines[0].text.size(), std::u16string(u"Encrypt file: ").size());
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("out.bin"))));
  EXPECT_TRUE(m_Form.isEnabled());
}

TEST_F(Form1Test, TheDemonstrationFillsTheLogAndTheScreenshotIsAnImageOfTheWindow) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  m_Form.RunDemonstration();
  EXPECT_GE(Lines().size(), 7U);  // five identity lines, then the text round trip
  const QString file = dir.filePath(QStringLiteral("shot.png"));
  ASSERT_TRUE(m_Form.SaveScreenshot(file));
  const QImage image(file);
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), m_Form.size() * m_Form.devicePixelRatio());
  EXPECT_FALSE(m_Form.SaveScreenshot(dir.filePath(QStringLiteral("no/such/dir/shot.png"))));
}

}  // namespace
}  // namespace hostseal::testing
