// Form1View: what the window's controller asks of a toolkit's Form1 — its log, the text of its
// fields, which controls take input, its progress bar, its file dialogs and its event loop.
// Qt and Win32 each implement it with their own widgets; tests implement it in memory. The
// rules behind the window live once, in Form1Controller, as the log's live in StatusLog
// behind RichTextBox.
#pragma once

#include <cstdint>
#include <string>

#include "hostseal/log/rich_text_box.hpp"
#include "hostseal/operations/key_choice.hpp"

namespace hostseal {

// Which controls take input; the key text also says whether it is shown or hidden.
struct Form1Controls {
  bool operations = true;  // every operation's controls but the key text, its bits and Cancel
  bool keyText = false;
  bool keyBits = false;
  bool keyHidden = false;  // the key text is a pass phrase: shown as dots
  bool cancel = false;
  bool operator==(const Form1Controls&) const = default;
};

class Form1View {
 public:
  virtual ~Form1View() = default;

  virtual RichTextBox& StatusBox() = 0;  // the log StatusTxt
  virtual std::u16string InputText() const = 0;
  virtual void SetInputText(const std::u16string& text) = 0;
  virtual std::u16string ResultText() const = 0;
  virtual void SetResultText(const std::u16string& text) = 0;
  virtual KeyChoice::Kind KeyKind() const = 0;
  virtual std::u16string KeyText() const = 0;
  virtual std::int32_t KeyBits() const = 0;

  virtual void ShowControls(const Form1Controls& controls) = 0;
  // The file job's progress, from 0 to form1_design::kProgressSteps.
  virtual void ShowProgress(int step) = 0;
  // The name the user picks in the Open or Save As dialog; "" when they cancel.
  virtual std::u16string AskOpenFileName(const std::u16string& caption) = 0;
  virtual std::u16string AskSaveFileName(const std::u16string& caption) = 0;
  // Serves the window's pending events during a file job; false when the program is asked to
  // quit.
  virtual bool ServeEvents() = 0;
  virtual void CloseWindow() = 0;
};

}  // namespace hostseal
