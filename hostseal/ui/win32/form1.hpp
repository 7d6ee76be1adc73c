// Form1 on Windows: hostseal's window with the system's own controls. The status log
// StatusTxt, a RichEdit control, in its frame "状态栏", and beside it the window's operations —
// host identity, text encryption, file encryption — each of which reports its result as a
// green or red status line. The log grows with the window; a file job can be cancelled, and
// no other operation starts while one runs.
//
// The window only gathers input and shows results; the work is done by the library and by
// the toolkit-free operations that the Linux window and the command line share.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/message_sink.hpp"
#include "hostseal/ui/file_operation.hpp"
#include "hostseal/ui/identity_operation.hpp"
#include "hostseal/ui/key_choice.hpp"
#include "hostseal/ui/win32/richedit_box.hpp"

namespace hostseal {

class Form1 final {
 public:
  // The controls' identifiers, for GetDlgItem on the window (the log is a child of its frame).
  enum Control : int {
    kStatusFrame = 100,
    kStatusTxt,
    kIdentityBox,
    kIdentityCmd,
    kTextBox,
    kInputTxt,
    kEncryptCmd,
    kDecryptCmd,
    kUseResultCmd,
    kResultTxt,
    kFileBox,
    kKeyKindCbo,
    kKeyTxt,
    kKeyBitsCbo,
    kEncryptFileCmd,
    kDecryptFileCmd,
    kFilePrg,
    kCancelCmd,
    // The labels of the rows.
    kInputLbl,
    kResultLbl,
    kKeyKindLbl,
    kKeyTxtLbl,
    kKeyBitsLbl,
    kProgressLbl,
  };

  // How the window asks for file names; "" means the user cancelled. Tests replace them.
  struct FileDialogs {
    std::function<std::u16string(HWND owner, const std::u16string& caption)> openFile;
    std::function<std::u16string(HWND owner, const std::u16string& caption)> saveFile;
    static FileDialogs Standard();  // the system's Open and Save As dialogs
  };

  // Creates the window, not yet shown. Messages of the cipher go to sink, which must outlive
  // the window. Raises RaisedError when the window or the RichEdit control cannot be created.
  explicit Form1(MessageSink& sink, HostQueries queries = {},
                 FileDialogs dialogs = FileDialogs::Standard());
  ~Form1();

  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // The window; nullptr once it has been closed.
  HWND Handle() const { return m_Window; }
  HWND Item(Control id) const;
  // Ends the thread's message loop (PostQuitMessage) when the window is closed.
  void QuitWhenClosed() { m_QuitWhenClosed = true; }

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
  bool SaveScreenshot(const std::u16string& fileName);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int code);
  void OnClose();

  void CreateControls();
  HWND AddControl(const wchar_t* className, const wchar_t* text, DWORD style, Control id);
  void ApplyFonts();
  void Layout();
  int Scale(int pixelsAt96) const;
  int Twips(int twips) const;
  void UpdateKeyInputs();
  void SetOperationsEnabled(bool enabled);
  KeyChoice::Kind KeyKind() const;
  KeyChoice CurrentKeyChoice() const;
  cRijndael& Rijndael();
  void RunFileOperation(FileDirection direction);
  bool PumpMessages();

  MessageSink& m_Sink;
  HostQueries m_Queries;
  FileDialogs m_Dialogs;
  std::unique_ptr<cRijndael> m_Rijndael;  // created when first used

  HWND m_Window = nullptr;
  HWND m_StatusTxt = nullptr;  // the control StatusTxt, a child of the frame
  std::unique_ptr<RichEditBox> m_StatusBox;
  UINT m_Dpi = USER_DEFAULT_SCREEN_DPI;
  HFONT m_Font = nullptr;  // the system's message font at the window's DPI; owned
  SIZE m_FirstClient{};    // the client area at the first size, the smallest one
  SIZE m_FirstWindow{};    // the whole window at that size
  int m_FirstBand = 0;     // below the frame at the first size, where the operations are taller

  bool m_QuitWhenClosed = false;
  bool m_JobRunning = false;       // a file job is running; messages are served from its progress
  bool m_CancelRequested = false;  // the running job stops at its next progress report
  bool m_CloseAfterJob = false;    // the window was closed while the job ran
};

}  // namespace hostseal
