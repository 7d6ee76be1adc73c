// Form1: builds the window's widgets and runs its operations.
#include "hostseal/ui/qt/form1.hpp"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFont>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>
#include <exception>
#include <filesystem>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/ui/status_log.hpp"

namespace hostseal {

namespace {

// The status log's place in its frame and its size, in twips.
constexpr int kStatusLeft = 120;
constexpr int kStatusTop = 240;
constexpr int kStatusWidth = 5415;
constexpr int kStatusHeight = 3735;

constexpr int kProgressSteps = 1000;

std::u16string ToU16(const QString& text) {
  return text.toStdU16String();
}

QString ToQString(const std::u16string& text) {
  return QString::fromStdU16String(text);
}

std::filesystem::path ToPath(const QString& fileName) {
  const QByteArray bytes = QFile::encodeName(fileName);
  return std::filesystem::path(
      std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

// Disables the window while a long operation processes events, so that no second operation
// starts inside the first.
class BusyWindow {
 public:
  explicit BusyWindow(QWidget& window) : m_Window(window) { m_Window.setEnabled(false); }
  ~BusyWindow() { m_Window.setEnabled(true); }
  BusyWindow(const BusyWindow&) = delete;
  BusyWindow& operator=(const BusyWindow&) = delete;

 private:
  QWidget& m_Window;
};

}  // namespace

Form1::FileDialogs Form1::FileDialogs::Standard() {
  FileDialogs dialogs;
  dialogs.openFile = [](QWidget* parent, const QString& caption) {
    return QFileDialog::getOpenFileName(parent, caption);
  };
  dialogs.saveFile = [](QWidget* parent, const QString& caption) {
    return QFileDialog::getSaveFileName(parent, caption);
  };
  return dialogs;
}

Form1::Form1(MessageSink& sink, HostQueries queries, FileDialogs dialogs, QWidget* parent)
    : QWidget(parent), m_Sink(sink), m_Queries(std::move(queries)), m_Dialogs(std::move(dialogs)) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("hostseal"));
  BuildStatusFrame();
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(m_StatusFrame, 0, Qt::AlignTop);
  layout->addWidget(BuildOperations(), 1);
}

Form1::~Form1() = default;

int Form1::TwipsToPixelsX(int twips) const {
  return qRound(twips * logicalDpiX() / 1440.0);
}

int Form1::TwipsToPixelsY(int twips) const {
  return qRound(twips * logicalDpiY() / 1440.0);
}

void Form1::BuildStatusFrame() {
  m_StatusFrame = new QGroupBox(QStringLiteral("状态栏"), this);
  m_StatusFrame->setObjectName(QStringLiteral("StatusFrame"));

  m_StatusTxt = new QTextEdit(m_StatusFrame);
  m_StatusTxt->setObjectName(QStringLiteral("StatusTxt"));
  m_StatusTxt->setGeometry(TwipsToPixelsX(kStatusLeft), TwipsToPixelsY(kStatusTop),
                           TwipsToPixelsX(kStatusWidth), TwipsToPixelsY(kStatusHeight));
  QFont font;
  // 宋体 where it is installed, else a CJK face that Debian ships.
  font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"),
                    QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")});
  font.setPointSize(12);
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  font.setUnderline(false);
  font.setStrikeOut(false);
  m_StatusTxt->setFont(font);
  m_StatusTxt->setReadOnly(true);
  m_StatusTxt->setAcceptRichText(false);
  m_StatusTxt->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_StatusTxt->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  // Read-only, but the user may still select and copy lines.
  m_StatusTxt->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

  // The frame is as wide as the log plus its left margin on both sides, and as tall as the log
  // plus the caption band above it and that margin below it.
  m_StatusFrame->setFixedSize(TwipsToPixelsX(kStatusLeft + kStatusWidth + kStatusLeft),
                              TwipsToPixelsY(kStatusTop + kStatusHeight + kStatusLeft));
  m_StatusBox = std::make_unique<QtRichTextBox>(*m_StatusTxt);
}

QWidget* Form1::BuildOperations() {
  auto* panel = new QWidget(this);
  auto* column = new QVBoxLayout(panel);
  column->setContentsMargins(0, 0, 0, 0);

  auto* identityBox = new QGroupBox(QStringLiteral("Host identity"), panel);
  auto* identityLayout = new QVBoxLayout(identityBox);
  m_IdentityCmd = new QPushButton(QStringLiteral("Identify this host"), identityBox);
  m_IdentityCmd->setObjectName(QStringLiteral("IdentityCmd"));
  identityLayout->addWidget(m_IdentityCmd);
  column->addWidget(identityBox);

  auto* textBox = new QGroupBox(QStringLiteral("Text"), panel);
  auto* textLayout = new QFormLayout(textBox);
  m_InputTxt = new QLineEdit(textBox);
  m_InputTxt->setObjectName(QStringLiteral("InputTxt"));
  m_InputTxt->setPlaceholderText(QStringLiteral("text, or hexadecimal cipher text"));
  textLayout->addRow(QStringLiteral("Input"), m_InputTxt);
  auto* textButtons = new QHBoxLayout;
  m_EncryptCmd = new QPushButton(QStringLiteral("Encrypt"), textBox);
  m_EncryptCmd->setObjectName(QStringLiteral("EncryptCmd"));
  m_DecryptCmd = new QPushButton(QStringLiteral("Decrypt"), textBox);
  m_DecryptCmd->setObjectName(QStringLiteral("DecryptCmd"));
  m_UseResultCmd = new QPushButton(QStringLiteral("Result to input"), textBox);
  m_UseResultCmd->setObjectName(QStringLiteral("UseResultCmd"));
  textButtons->addWidget(m_EncryptCmd);
  textButtons->addWidget(m_DecryptCmd);
  textButtons->addWidget(m_UseResultCmd);
  textLayout->addRow(textButtons);
  m_ResultTxt = new QLineEdit(textBox);
  m_ResultTxt->setObjectName(QStringLiteral("ResultTxt"));
  m_ResultTxt->setReadOnly(true);  // still selectable and copyable
  textLayout->addRow(QStringLiteral("Result"), m_ResultTxt);
  column->addWidget(textBox);

  auto* fileBox = new QGroupBox(QStringLiteral("File"), panel);
  auto* fileLayout = new QFormLayout(fileBox);
  m_KeyKindCbo = new QComboBox(fileBox);
  m_KeyKindCbo->setObjectName(QStringLiteral("KeyKindCbo"));
  m_KeyKindCbo->addItem(QStringLiteral("Built-in pass phrase"),
                        static_cast<int>(KeyChoice::Kind::kBuiltIn));
  m_KeyKindCbo->addItem(QStringLiteral("Key (32, 48 or 64 hex digits)"),
                        static_cast<int>(KeyChoice::Kind::kHexKey));
  m_KeyKindCbo->addItem(QStringLiteral("Pass phrase"),
                        static_cast<int>(KeyChoice::Kind::kPassPhrase));
  fileLayout->addRow(QStringLiteral("Key"), m_KeyKindCbo);
  m_KeyTxt = new QLineEdit(fileBox);
  m_KeyTxt->setObjectName(QStringLiteral("KeyTxt"));
  fileLayout->addRow(QStringLiteral("Key text"), m_KeyTxt);
  m_KeyBitsCbo = new QComboBox(fileBox);
  m_KeyBitsCbo->setObjectName(QStringLiteral("KeyBitsCbo"));
  for (int bits : {128, 192, 256}) m_KeyBitsCbo->addItem(QString::number(bits), bits);
  fileLayout->addRow(QStringLiteral("Key bits"), m_KeyBitsCbo);
  auto* fileButtons = new QHBoxLayout;
  m_EncryptFileCmd = new QPushButton(QStringLiteral("Encrypt file…"), fileBox);
  m_EncryptFileCmd->setObjectName(QStringLiteral("EncryptFileCmd"));
  m_DecryptFileCmd = new QPushButton(QStringLiteral("Decrypt file…"), fileBox);
  m_DecryptFileCmd->setObjectName(QStringLiteral("DecryptFileCmd"));
  fileButtons->addWidget(m_EncryptFileCmd);
  fileButtons->addWidget(m_DecryptFileCmd);
  fileLayout->addRow(fileButtons);
  m_FilePrg = new QProgressBar(fileBox);
  m_FilePrg->setObjectName(QStringLiteral("FilePrg"));
  m_FilePrg->setRange(0, kProgressSteps);
  m_FilePrg->setValue(0);
  fileLayout->addRow(QStringLiteral("Progress"), m_FilePrg);
  column->addWidget(fileBox);
  column->addStretch(1);

  connect(m_IdentityCmd, &QPushButton::clicked, this, &Form1::ReportIdentity);
  connect(m_EncryptCmd, &QPushButton::clicked, this, &Form1::EncryptText);
  connect(m_DecryptCmd, &QPushButton::clicked, this, &Form1::DecryptText);
  connect(m_UseResultCmd, &QPushButton::clicked, this, &Form1::UseResultAsInput);
  connect(m_EncryptFileCmd, &QPushButton::clicked, this, &Form1::EncryptFile);
  connect(m_DecryptFileCmd, &QPushButton::clicked, this, &Form1::DecryptFile);
  connect(m_KeyKindCbo, &QComboBox::currentIndexChanged, this, &Form1::UpdateKeyInputs);
  UpdateKeyInputs();
  return panel;
}

void Form1::UpdateKeyInputs() {
  const auto kind = static_cast<KeyChoice::Kind>(m_KeyKindCbo->currentData().toInt());
  m_KeyTxt->setEnabled(kind != KeyChoice::Kind::kBuiltIn);
  // A hex key's length gives its bits; the built-in pass phrase is always 128 bits.
  m_KeyBitsCbo->setEnabled(kind == KeyChoice::Kind::kPassPhrase);
  m_KeyTxt->setEchoMode(kind == KeyChoice::Kind::kPassPhrase ? QLineEdit::Password
                                                             : QLineEdit::Normal);
}

KeyChoice Form1::CurrentKeyChoice() const {
  KeyChoice choice;
  choice.kind = static_cast<KeyChoice::Kind>(m_KeyKindCbo->currentData().toInt());
  if (choice.kind != KeyChoice::Kind::kBuiltIn) choice.text = ToU16(m_KeyTxt->text());
  if (choice.kind == KeyChoice::Kind::kPassPhrase) {
    choice.bits = m_KeyBitsCbo->currentData().toInt();
  }
  return choice;
}

cRijndael& Form1::Rijndael() {
  if (!m_Rijndael) m_Rijndael = std::make_unique<cRijndael>(m_Sink);
  return *m_Rijndael;
}

void Form1::ReportFailure(const std::u16string& head, const std::u16string& why) {
  AddStatusLine(*m_StatusBox, head, why, 1);
}

void Form1::ReportSuccess(const std::u16string& head, const std::u16string& what) {
  AddStatusLine(*m_StatusBox, head, what, 0);
}

void Form1::ReportIdentity() {
  // The operation reports its own lines, failures included; only the box's errors and the
  // unexpected come back here.
  const std::u16string head = u"Host identity: ";
  try {
    ReportHostIdentity(*m_StatusBox, Rijndael(), m_Queries);
  } catch (const RaisedError& error) {
    ReportFailure(head, FromUtf8(error.Description()));
  } catch (const std::exception& error) {
    ReportFailure(head, FromUtf8(error.what()));
  }
}

void Form1::EncryptText() {
  const std::u16string head = u"Encrypt text: ";
  const std::u16string input = ToU16(m_InputTxt->text());
  m_ResultTxt->clear();
  if (input.empty()) {
    ReportFailure(head, u"no text to encrypt");
    return;
  }
  try {
    const std::u16string sealed = Rijndael().Encrypt(input);
    m_ResultTxt->setText(ToQString(sealed));
    if (sealed.empty()) {
      ReportFailure(head, u"the cipher gave no text");
    } else {
      ReportSuccess(head, sealed);
    }
  } catch (const RaisedError& error) {
    ReportFailure(head, FromUtf8(error.Description()));
  } catch (const std::exception& error) {
    ReportFailure(head, FromUtf8(error.what()));
  }
}

void Form1::DecryptText() {
  const std::u16string head = u"Decrypt text: ";
  const std::u16string input = ToU16(m_InputTxt->text());
  m_ResultTxt->clear();
  if (input.empty()) {
    ReportFailure(head, u"no cipher text to decrypt");
    return;
  }
  try {
    // Decrypt shows what went wrong in a message box and gives empty text.
    const std::u16string plain = Rijndael().Decrypt(input);
    m_ResultTxt->setText(ToQString(plain));
    if (plain.empty()) {
      ReportFailure(head, u"no text: not hexadecimal cipher text of whole blocks");
    } else {
      ReportSuccess(head, plain);
    }
  } catch (const std::exception& error) {
    ReportFailure(head, FromUtf8(error.what()));
  }
}

void Form1::UseResultAsInput() {
  m_InputTxt->setText(m_ResultTxt->text());
}

void Form1::EncryptFile() {
  RunFileOperation(true);
}

void Form1::DecryptFile() {
  RunFileOperation(false);
}

void Form1::RunFileOperation(bool encrypt) {
  const std::u16string head = encrypt ? u"Encrypt file: " : u"Decrypt file: ";
  const QString input =
      m_Dialogs.openFile(this, encrypt ? QStringLiteral("Plain file to encrypt")
                                       : QStringLiteral("Cipher-text file to decrypt"));
  if (input.isEmpty()) return;
  const QString output =
      m_Dialogs.saveFile(this, encrypt ? QStringLiteral("Cipher-text file to write")
                                       : QStringLiteral("Plain file to write"));
  if (output.isEmpty()) return;
  const std::u16string files = ToU16(input) + u" -> " + ToU16(output);

  std::int32_t status = 0;
  try {
    cRijndael& cipher = Rijndael();
    ApplyKey(cipher, CurrentKeyChoice());
    m_FilePrg->setValue(0);
    const BusyWindow busy(*this);
    // Called once per chunk: show how far the work is and let the window repaint.
    const cRijndael::FileProgress progress = [this](std::uint64_t done, std::uint64_t total) {
      const std::uint64_t step = total == 0 ? kProgressSteps : done * kProgressSteps / total;
      m_FilePrg->setValue(static_cast<int>(std::min<std::uint64_t>(step, kProgressSteps)));
      QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    status = encrypt ? cipher.FileEncrypt(ToPath(input), ToPath(output), progress)
                     : cipher.FileDecrypt(ToPath(output), ToPath(input), progress);
  } catch (const RaisedError& error) {
    ReportFailure(head, FromUtf8(error.Description()));
    return;
  } catch (const std::exception& error) {
    ReportFailure(head, FromUtf8(error.what()));
    return;
  }

  switch (status) {
    case 0:
      m_FilePrg->setValue(kProgressSteps);
      ReportSuccess(head, files);
      break;
    case 1:
      ReportFailure(head, files + u": refused, the cipher-text file is not whole blocks");
      break;
    case 2:
      ReportFailure(head, files + u": the length field is wrong; wrong key or key size?");
      break;
    default:
      ReportFailure(head, files + u": failed with status " + ToU16(QString::number(status)));
      break;
  }
}

void Form1::RunDemonstration() {
  m_IdentityCmd->click();
  m_InputTxt->setText(QStringLiteral("主机标识 hostseal"));
  m_EncryptCmd->click();
  m_UseResultCmd->click();
  m_DecryptCmd->click();
}

bool Form1::SaveScreenshot(const QString& fileName) {
  if (QLayout* top = layout()) top->activate();
  return grab().save(fileName, "PNG");
}

}  // namespace hostseal
