// Form1: builds the window's widgets, lays them out and reads them for its controller.
#include "hostseal/ui/qt/form1.hpp"

#include <QApplication>
#include <QBuffer>
#include <QByteArray>
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
#include <cstddef>
#include <span>

#include "hostseal/ui/screenshot_file.hpp"

namespace hostseal {

namespace {

namespace design = form1_design;

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
    : QWidget(parent),
      m_Dialogs(std::move(dialogs)),
      m_Controller(*this, sink, std::move(queries)) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(ToQString(design::kTitle));
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
  return qRound(twips * logicalDpiX() / double{design::kTwipsPerInch});
}

int Form1::TwipsToPixelsY(int twips) const {
  return qRound(twips * logicalDpiY() / double{design::kTwipsPerInch});
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
  auto* frame = new StatusFrame(ToQString(design::kStatusCaption), this);
  m_StatusFrame = frame;
  m_StatusFrame->setObjectName(QStringLiteral("StatusFrame"));

  m_StatusTxt = new QTextEdit(m_StatusFrame);
  m_StatusTxt->setObjectName(QStringLiteral("StatusTxt"));
  QFont font;
  // 宋体 where it is installed, else a CJK face that Debian ships.
  font.setFamilies({ToQString(design::kLogFace), QStringLiteral("SimSun"),
                    QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")});
  font.setPointSize(design::kLogFontTwips / 20);
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
  palette.setColor(QPalette::Base, QtRichTextBox::ToQColor(design::kLogBackground));
  palette.setColor(QPalette::Text, QtRichTextBox::ToQColor(design::kLogText));
  m_StatusTxt->setPalette(palette);

  // The log's saved place and size are its first ones: the frame is at least as wide as the
  // log plus its left margin on both sides, and as tall as the log plus the caption band above
  // it and that margin below it. Beyond that, the log grows with the frame.
  const int left = TwipsToPixelsX(design::kStatusLeft);
  const int top = TwipsToPixelsY(design::kStatusTop);
  const int bottom = TwipsToPixelsY(design::kStatusLeft);
  m_StatusFrame->setMinimumSize(left + TwipsToPixelsX(design::kStatusWidth) + left,
                                top + TwipsToPixelsY(design::kStatusHeight) + bottom);
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
  for (const auto& [text, kind] : design::kKeyKinds) {
    m_KeyKindCbo->addItem(QString::fromUtf16(text), static_cast<int>(kind));
  }
  fileLayout->addRow(QStringLiteral("Key"), m_KeyKindCbo);
  m_KeyTxt = new QLineEdit(fileBox);
  m_KeyTxt->setObjectName(QStringLiteral("KeyTxt"));
  fileLayout->addRow(QStringLiteral("Key text"), m_KeyTxt);
  m_KeyBitsCbo = new QComboBox(fileBox);
  m_KeyBitsCbo->setObjectName(QStringLiteral("KeyBitsCbo"));
  for (const int bits : design::kKeyBits) m_KeyBitsCbo->addItem(QString::number(bits), bits);
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
  m_FilePrg->setRange(0, design::kProgressSteps);
  m_FilePrg->setValue(0);
  m_CancelCmd = new QPushButton(QStringLiteral("Cancel"), fileBox);
  m_CancelCmd->setObjectName(QStringLiteral("CancelCmd"));
  auto* progressRow = new QHBoxLayout;
  progressRow->addWidget(m_FilePrg, 1);
  progressRow->addWidget(m_CancelCmd);
  fileLayout->addRow(QStringLiteral("Progress"), progressRow);
  column->addWidget(fileBox);
  column->addStretch(1);

  connect(m_IdentityCmd, &QPushButton::clicked, this, [this] { m_Controller.ReportIdentity(); });
  connect(m_EncryptCmd, &QPushButton::clicked, this, [this] { m_Controller.EncryptText(); });
  connect(m_DecryptCmd, &QPushButton::clicked, this, [this] { m_Controller.DecryptText(); });
  connect(m_UseResultCmd, &QPushButton::clicked, this, [this] { m_Controller.UseResultAsInput(); });
  connect(m_EncryptFileCmd, &QPushButton::clicked, this,
          [this] { m_Controller.RunFileOperation(FileDirection::kEncrypt); });
  connect(m_DecryptFileCmd, &QPushButton::clicked, this,
          [this] { m_Controller.RunFileOperation(FileDirection::kDecrypt); });
  connect(m_CancelCmd, &QPushButton::clicked, this, [this] { m_Controller.CancelFileJob(); });
  connect(m_KeyKindCbo, &QComboBox::currentIndexChanged, this,
          [this] { m_Controller.UpdateKeyInputs(); });
  m_Controller.UpdateKeyInputs();
  return panel;
}

std::u16string Form1::InputText() const {
  return ToU16(m_InputTxt->text());
}

void Form1::SetInputText(const std::u16string& text) {
  m_InputTxt->setText(ToQString(text));
}

std::u16string Form1::ResultText() const {
  return ToU16(m_ResultTxt->text());
}

void Form1::SetResultText(const std::u16string& text) {
  m_ResultTxt->setText(ToQString(text));
}

KeyChoice::Kind Form1::KeyKind() const {
  return static_cast<KeyChoice::Kind>(m_KeyKindCbo->currentData().toInt());
}

std::u16string Form1::KeyText() const {
  return ToU16(m_KeyTxt->text());
}

std::int32_t Form1::KeyBits() const {
  return m_KeyBitsCbo->currentData().toInt();
}

void Form1::ShowControls(const Form1Controls& controls) {
  for (QWidget* widget : std::initializer_list<QWidget*>{m_IdentityBox, m_TextBox, m_KeyKindCbo,
                                                         m_EncryptFileCmd, m_DecryptFileCmd}) {
    widget->setEnabled(controls.operations);
  }
  m_KeyTxt->setEnabled(controls.keyText);
  m_KeyBitsCbo->setEnabled(controls.keyBits);
  m_KeyTxt->setEchoMode(controls.keyHidden ? QLineEdit::Password : QLineEdit::Normal);
  m_CancelCmd->setEnabled(controls.cancel);
}

void Form1::ShowProgress(int step) {
  m_FilePrg->setValue(step);
}

std::u16string Form1::AskOpenFileName(const std::u16string& caption) {
  return ToU16(m_Dialogs.openFile(this, ToQString(caption)));
}

std::u16string Form1::AskSaveFileName(const std::u16string& caption) {
  return ToU16(m_Dialogs.saveFile(this, ToQString(caption)));
}

bool Form1::ServeEvents() {
  QCoreApplication::processEvents();
  return true;
}

void Form1::closeEvent(QCloseEvent* event) {
  // Closing the window while a file job runs cancels the job; the controller closes it after.
  if (!m_Controller.RequestClose()) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

void Form1::SaveScreenshot(const QString& fileName) {
  if (QLayout* top = layout()) top->activate();
  // Encoded in memory, then written as every output is.
  QByteArray png;
  QBuffer buffer(&png);
  if (!buffer.open(QIODevice::WriteOnly) || !grab().save(&buffer, "PNG")) {
    RaiseScreenshotNotDrawn(ToU16(fileName));
  }
  WriteScreenshotFile(ToU16(fileName), std::span(reinterpret_cast<const Byte*>(png.constData()),
                                                 static_cast<std::size_t>(png.size())));
}

}  // namespace hostseal
