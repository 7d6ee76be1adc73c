// Form1: hostseal's window. The status log StatusTxt in its frame, and beside it the
// window's operations — host identity, text encryption, file encryption — each of which
// reports its result as a green or red status line. The log grows with the window; a file job
// can be cancelled, and no other operation starts while one runs.
//
// The window only gathers input and shows results; the work is done by the library and by
// the toolkit-free operations that the command line shares (ReportHostIdentity, the text and file
// operations).
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

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/message_sink.hpp"
#include "hostseal/ui/identity_operation.hpp"
#include "hostseal/ui/key_choice.hpp"
#include "hostseal/ui/qt/qt_rich_text_box.hpp"

namespace hostseal {

class Form1 final : public QWidget {
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

  // The operations behind the buttons.
  void ReportIdentity();
  void EncryptText();
  void DecryptText();
  void UseResultAsInput();
  void EncryptFile();
  void DecryptFile();
  // Asks the running file job to stop at its next chunk; its target keeps its former content.
  void CancelFileJob();

  // A short scripted tour: host identity, an encryption without text (a red line), then a
  // text encrypted and decrypted again.
  void RunDemonstration();
  // Writes the window as a PNG image; false when the file cannot be written.
  bool SaveScreenshot(const QString& fileName);

 protected:
  // Closing the window while a file job runs cancels the job, and the window closes after it.
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildStatusFrame();
  QWidget* BuildOperations();
  void UpdateKeyInputs();
  void SetOperationsEnabled(bool enabled);
  KeyChoice CurrentKeyChoice() const;
  cRijndael& Rijndael();
  void RunFileOperation(bool encrypt);
  void RunFileJob(bool encrypt, const QString& input, const QString& output);
  int TwipsToPixelsX(int twips) const;
  int TwipsToPixelsY(int twips) const;

  MessageSink& m_Sink;
  HostQueries m_Queries;
  FileDialogs m_Dialogs;
  std::unique_ptr<cRijndael> m_Rijndael;  // created when first used

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

  bool m_JobRunning = false;       // a file job is running; events are served from its progress
  bool m_CancelRequested = false;  // the running job stops at its next progress report
  bool m_CloseAfterJob = false;    // the window was closed while the job ran
};

}  // namespace hostseal
