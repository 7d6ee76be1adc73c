// Form1 on Windows: hostseal's window with the system's own controls. The status log
// StatusTxt, a RichEdit control, in its frame "状态栏", and beside it the window's operations —
// host identity, text encryption, file encryption — each of which reports its result as a
// green or red status line. The log grows with the window; a file job can be cancelled, and
// no other operation starts while one runs.
//
// The window creates, lays out and reads its controls; what they do and when they take input
// is Form1Controller's, which the Qt window shares.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "hostseal/common/message_sink.hpp"
#include "hostseal/operations/identity_operation.hpp"
#include "hostseal/ui/form1_controller.hpp"
#include "hostseal/ui/form1_view.hpp"
#include "hostseal/ui/win32/richedit_box.hpp"

namespace hostseal {

class Form1 final : private Form1View {
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
  ~Form1() override;

  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // The window; nullptr once it has been closed.
  HWND Handle() const { return m_Window; }
  HWND Item(Control id) const;
  // Ends the thread's message loop (PostQuitMessage) when the window is closed.
  void QuitWhenClosed() { m_QuitWhenClosed = true; }

  // A short scripted tour: host identity, an encryption without text (a red line), then a
  // text encrypted and decrypted again.
  void RunDemonstration();
  // Writes the window as a PNG image (SaveWindowPng); raises a RaisedError when the window is
  // closed or the file cannot be written.
  void SaveScreenshot(const std::u16string& fileName);

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
  void CloseWindow() override;

  MessageSink& m_Sink;
  FileDialogs m_Dialogs;
  Form1Controller m_Controller;

  HWND m_Window = nullptr;
  HWND m_StatusTxt = nullptr;  // the control StatusTxt, a child of the frame
  std::unique_ptr<RichEditBox> m_StatusBox;
  UINT m_Dpi = USER_DEFAULT_SCREEN_DPI;
  HFONT m_Font = nullptr;  // the system's message font at the window's DPI; owned
  SIZE m_FirstClient{};    // the client area at the first size, the smallest one
  SIZE m_FirstWindow{};    // the whole window at that size
  int m_FirstBand = 0;     // below the frame at the first size, where the operations are taller

  bool m_QuitWhenClosed = false;
};

}  // namespace hostseal
