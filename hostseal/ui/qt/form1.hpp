// Form1: hostseal's window. The status log StatusTxt in its frame, and beside it the
// window's operations — host identity, text encryption, file encryption — each of which
// reports its result as a green or red status line. The log grows with the window; a file job
// can be cancelled, and no other operation starts while one runs.
//
// The window creates, lays out and reads its widgets; what they do and when they take input is
// Form1Controller's, which the Win32 window shares.
#pragma once

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QSpacerItem>
#include <QString>
#include <QTextEdit>
#include <QWidget>
#include <functional>
#include <memory>

#include "hostseal/common/message_sink.hpp"
#include "hostseal/operations/identity_operation.hpp"
#include "hostseal/ui/form1_controller.hpp"
#include "hostseal/ui/form1_view.hpp"
#include "hostseal/ui/qt/qt_rich_text_box.hpp"

namespace hostseal {

class Form1 final : public QWidget, private Form1View {
 public:
  // How the window asks for file names; "" means the user cancelled. Tests replace them.
  struct FileDialogs {
    std::function<QString(QWidget* parent, const QString& caption)> openFile;
    std::function<QString(QWidget* parent, const QString& caption)> saveFile;
    static FileDialogs Standard();  // Qt's file dialogs
  };

  // Messages of the cipher go to sink, which must outlive the window.
  explicit Form1(MessageSink& sink, HostQueries queries = {},
                 FileDialogs dialogs = FileDialogs::Standard(), QWidget* parent = nullptr);
  ~Form1() override;

  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // A short scripted tour: host identity, an encryption without text (a red line), then a
  // text encrypted and decrypted again.
  void RunDemonstration() { m_Controller.RunDemonstration(); }
  // Writes the window as a PNG image through the file layer (ui/screenshot_file.hpp); raises
  // its RaisedError when the file cannot be written.
  void SaveScreenshot(const QString& fileName);

 protected:
  // Closing the window while a file job runs cancels the job, and the window closes after it.
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildStatusFrame();
  QWidget* BuildOperations();
  int TwipsToPixelsX(int twips) const;
  int TwipsToPixelsY(int twips) const;

  // Form1View
  RichTextBox& StatusBox() override { return *m_StatusBox; }
  std::u16string InputText() const override;
  void SetInputText(const std::u16string& text) override;
  std::u16string ResultText() const override;
  void SetResultText(const std::u16string& text) override;
  KeyChoice::Kind KeyKind() const override;
  std::u16string KeyText() const override;
  std::int32_t KeyBits() const override;
  void ShowControls(const Form1Controls& controls) override;
  void ShowProgress(int step) override;
  std::u16string AskOpenFileName(const std::u16string& caption) override;
  std::u16string AskSaveFileName(const std::u16string& caption) override;
  bool ServeEvents() override;
  void CloseWindow() override { close(); }

  FileDialogs m_Dialogs;
  Form1Controller m_Controller;

  // Owned by the window through Qt's parent and child relation.
  QGroupBox* m_StatusFrame = nullptr;
  QGroupBox* m_IdentityBox = nullptr;
  QGroupBox* m_TextBox = nullptr;
  QTextEdit* m_StatusTxt = nullptr;  // the control StatusTxt
  QPushButton* m_IdentityCmd = nullptr;
  QLineEdit* m_InputTxt = nullptr;
  QLineEdit* m_ResultTxt = nullptr;
  QPushButton* m_EncryptCmd = nullptr;
  QPushButton* m_DecryptCmd = nullptr;
  QPushButton* m_UseResultCmd = nullptr;
  QComboBox* m_KeyKindCbo = nullptr;
  QLineEdit* m_KeyTxt = nullptr;
  QComboBox* m_KeyBitsCbo = nullptr;
  QPushButton* m_EncryptFileCmd = nullptr;
  QPushButton* m_DecryptFileCmd = nullptr;
  QProgressBar* m_FilePrg = nullptr;
  QPushButton* m_CancelCmd = nullptr;

  std::unique_ptr<QtRichTextBox> m_StatusBox;
  QSpacerItem* m_StatusBand = nullptr;  // below the frame; owned by the layout
  int m_FirstBand = 0;                  // the band's height at the window's first size
  int m_FirstHeight = 0;                // the window's first height
};

}  // namespace hostseal
