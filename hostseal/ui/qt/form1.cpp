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
#include <QPalette>
#include <QPixmap>
#include <QResizeEvent>
#include <QScopeGuard>
#include <QSpacerItem>
#include <QVBoxLayout>
#include <algorithm>

#include "hostseal/ui/file_operation.hpp"
#include "hostseal/ui/status_log.hpp"
#include "hostseal/ui/text_operation.hpp"

namespace hostseal {

namespace {

// The status log's place in its frame and its size, in twips.
constexpr int kStatusLeft = 120;
constexpr int kStatusTop = 240;
constexpr int kStatusWidth = 5415;
constexpr int kStatusHeight = 3735;

constexpr int kProgressSteps = 1000;

// The log is dark, as terminals are, so that both its green and its red lines read well: on
// black, green 0x00FF00 has a contrast of 15.3:1 and red 0x0000FF one of 5.25:1. Lines of
// other kinds before the first coloured one take the light grey (13.6:1).
const QColor kLogBackground(0x00, 0x00, 0x00);
const QColor kLogText(0xD0, 0xD0, 0xD0);

std::u16string ToU16(const QString& text) {
  return text.toStdU16String();
}

QString ToQString(const std::u16string& text) {
  return QString::fromStdU16String(text);
}

// The status log's frame. The log keeps its place in the frame and the same margins on the
// right and at the bottom as on the left, so it grows and shrinks with the frame.
class StatusFrame final : public QGroupBox {
 public:
  StatusFrame(const QString& title, QWidget* parent) : QGroupBox(title, parent) {}

  void Hold(QWidget& log, const QMargins& margins) {
    m_Log = &log;
    m_Margins = margins;
    m_Log->setGeometry(rect().marginsRemoved(m_Margins));
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QGroupBox::resizeEvent(event);
    if (m_Log != nullptr) m_Log->setGeometry(rect().marginsRemoved(m_Margins));
  }

 private:
  QWidget* m_Log = nullptr;  // a child of the frame
  QMargins m_Margins;
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
  QWidget* operations = BuildOperations();
  auto* statusColumn = new QVBoxLayout;
  statusColumn->addWidget(m_StatusFrame, 1);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(statusColumn, 1);
  layout->addWidget(operations, 0);

  // At the window's first (and smallest) size the log has its saved size, even where the
  // operations beside it are taller: a band below the frame takes up the difference. As the
  // window grows taller the band gives way (see resizeEvent), so that the frame soon reaches
  // the window's bottom edge.
  ensurePolished();
  m_FirstBand = std::max(0, operations->sizeHint().height() - m_StatusFrame->minimumHeight());
  m_StatusBand = new QSpacerItem(0, m_FirstBand, QSizePolicy::Minimum, QSizePolicy::Fixed);
  statusColumn->addSpacerItem(m_StatusBand);
  m_FirstHeight = sizeHint().height();
}

Form1::~Form1() = default;

int Form1::TwipsToPixelsX(int twips) const {
  return qRound(twips * logicalDpiX() / 1440.0);
}

int Form1::TwipsToPixelsY(int twips) const {
  return qRound(twips * logicalDpiY() / 1440.0);
}

void Form1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // The log gets the window's growth and the band's height as well, until the band is gone.
  const int band = std::max(0, m_FirstBand - std::max(0, height() - m_FirstHeight));
  if (band == m_StatusBand->sizeHint().height()) return;
  m_StatusBand->changeSize(0, band, QSizePolicy::Minimum, QSizePolicy::Fixed);
  layout()->invalidate();
  layout()->activate();
}

void Form1::BuildStatusFrame() {
  auto* frame = new StatusFrame(QStringLiteral("状态栏"), this);
  m_StatusFrame = frame;
  m_StatusFrame->setObjectName(QStringLiteral("StatusFrame"));

  m_StatusTxt = new QTextEdit(m_StatusFrame);
  m_StatusTxt->setObjectName(QStringLiteral("StatusTxt"));
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
  QPalette palette = m_StatusTxt->palette();
  palette.setColor(QPalette::Base, kLogBackground);
  palette.setColor(QPalette::Text, kLogText);
  m_StatusTxt->setPalette(palette);

  // The log's saved place and size are its first ones: the frame is at least as wide as the
  // log plus its left margin on both sides, and as tall as the log plus the caption band above
  // it and that margin below it. Beyond that, the log grows with the frame.
  const int left = TwipsToPixelsX(kStatusLeft);
  const int top = TwipsToPixelsY(kStatusTop);
  const int bottom = TwipsToPixelsY(kStatusLeft);
  m_StatusFrame->setMinimumSize(left + TwipsToPixelsX(kStatusWidth) + left,
                                top + TwipsToPixelsY(kStatusHeight) + bottom);
  m_StatusFrame->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  m_StatusFrame->resize(m_StatusFrame->minimumSize());
  frame->Hold(*m_StatusTxt, QMargins(left, top, left, bottom));
  m_StatusBox = std::make_unique<QtRichTextBox>(*m_StatusTxt);
}

QWidget* Form1::BuildOperations() {
  auto* panel = new QWidget(this);
  auto* column = new QVBoxLayout(panel);
  column->setContentsMargins(0, 0, 0, 0);

  auto* identityBox = new QGroupBox(QStringLiteral("Host identity"), panel);
  m_IdentityBox = identityBox;
  auto* identityLayout = new QVBoxLayout(identityBox);
  m_IdentityCmd = new QPushButton(QStringLiteral("Identify this host"), identityBox);
  m_IdentityCmd->setObjectName(QStringLiteral("IdentityCmd"));
  identityLayout->addWidget(m_IdentityCmd);
  column->addWidget(identityBox);

  auto* textBox = new QGroupBox(QStringLiteral("Text"), panel);
  m_TextBox = textBox;
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
  m_CancelCmd = new QPushButton(QStringLiteral("Cancel"), fileBox);
  m_CancelCmd->setObjectName(QStringLiteral("CancelCmd"));
  m_CancelCmd->setEnabled(false);  // only while a file job runs
  auto* progressRow = new QHBoxLayout;
  progressRow->addWidget(m_FilePrg, 1);
  progressRow->addWidget(m_CancelCmd);
  fileLayout->addRow(QStringLiteral("Progress"), progressRow);
  column->addWidget(fileBox);
  column->addStretch(1);

  connect(m_IdentityCmd, &QPushButton::clicked, this, &Form1::ReportIdentity);
  connect(m_EncryptCmd, &QPushButton::clicked, this, &Form1::EncryptText);
  connect(m_DecryptCmd, &QPushButton::clicked, this, &Form1::DecryptText);
  connect(m_UseResultCmd, &QPushButton::clicked, this, &Form1::UseResultAsInput);
  connect(m_EncryptFileCmd, &QPushButton::clicked, this, &Form1::EncryptFile);
  connect(m_DecryptFileCmd, &QPushButton::clicked, this, &Form1::DecryptFile);
  connect(m_CancelCmd, &QPushButton::clicked, this, &Form1::CancelFileJob);
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

// While a file job runs only Cancel and the log take input: the job's key and cipher are the
// window's, and no other operation may change them under it.
void Form1::SetOperationsEnabled(bool enabled) {
  for (QWidget* widget : std::initializer_list<QWidget*>{m_IdentityBox, m_TextBox, m_KeyKindCbo,
                                                         m_EncryptFileCmd, m_DecryptFileCmd}) {
    widget->setEnabled(enabled);
  }
  if (enabled) {
    UpdateKeyInputs();
  } else {
    m_KeyTxt->setEnabled(false);
    m_KeyBitsCbo->setEnabled(false);
  }
  m_CancelCmd->setEnabled(!enabled);
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

void Form1::ReportIdentity() {
  if (m_JobRunning) return;
  IdentityOperation(*m_StatusBox, Rijndael(), m_Queries);
}

void Form1::EncryptText() {
  if (m_JobRunning) return;
  m_ResultTxt->setText(
      ToQString(EncryptTextOperation(*m_StatusBox, Rijndael(), ToU16(m_InputTxt->text()))));
}

void Form1::DecryptText() {
  if (m_JobRunning) return;
  m_ResultTxt->setText(
      ToQString(DecryptTextOperation(*m_StatusBox, Rijndael(), ToU16(m_InputTxt->text()))));
}

void Form1::UseResultAsInput() {
  if (m_JobRunning) return;
  m_InputTxt->setText(m_ResultTxt->text());
}

void Form1::EncryptFile() {
  RunFileOperation(true);
}

void Form1::DecryptFile() {
  RunFileOperation(false);
}

void Form1::CancelFileJob() {
  if (m_JobRunning) m_CancelRequested = true;
}

void Form1::closeEvent(QCloseEvent* event) {
  if (m_JobRunning) {
    m_CancelRequested = true;
    m_CloseAfterJob = true;
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

void Form1::RunFileOperation(bool encrypt) {
  if (m_JobRunning) return;
  const FileDirection direction = encrypt ? FileDirection::kEncrypt : FileDirection::kDecrypt;
  m_FilePrg->setValue(0);
  // A key that cannot be used is reported before the user picks any file.
  if (!ApplyFileKey(*m_StatusBox, Rijndael(), CurrentKeyChoice(), direction)) return;

  const QString input =
      m_Dialogs.openFile(this, encrypt ? QStringLiteral("Plain file to encrypt")
                                       : QStringLiteral("Cipher-text file to decrypt"));
  if (input.isEmpty()) return;
  const QString output =
      m_Dialogs.saveFile(this, encrypt ? QStringLiteral("Cipher-text file to write")
                                       : QStringLiteral("Plain file to write"));
  if (output.isEmpty()) return;

  // The job runs on this thread, where the cipher's message boxes belong; its progress reports
  // serve the window's events, so that it repaints and Cancel can be clicked.
  {
    m_JobRunning = true;
    m_CancelRequested = false;
    SetOperationsEnabled(false);
    const auto jobEnded = qScopeGuard([this] {
      m_JobRunning = false;
      SetOperationsEnabled(true);
    });
    RunFileJob(encrypt, input, output);
  }
  if (m_CloseAfterJob) {
    m_CloseAfterJob = false;
    close();
  }
}

void Form1::RunFileJob(bool encrypt, const QString& input, const QString& output) {
  const FileJobProgress progress = [this](std::uint64_t done, std::uint64_t total) {
    const std::uint64_t step = total == 0 ? kProgressSteps : done * kProgressSteps / total;
    m_FilePrg->setValue(static_cast<int>(std::min<std::uint64_t>(step, kProgressSteps)));
    QCoreApplication::processEvents();
    return !m_CancelRequested;
  };
  if (hostseal::RunFileJob(*m_StatusBox, Rijndael(),
                           encrypt ? FileDirection::kEncrypt : FileDirection::kDecrypt,
                           ToU16(input), ToU16(output), progress)) {
    m_FilePrg->setValue(kProgressSteps);
  }
}

void Form1::RunDemonstration() {
  m_IdentityCmd->click();
  m_InputTxt->clear();
  m_EncryptCmd->click();  // a red line: there is no text to encrypt
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
