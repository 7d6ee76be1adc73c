// hostseal-gui on Windows: the window Form1. With --screenshot FILE it runs a short scripted
// demonstration, writes the window to FILE as a PNG image through the file layer and exits
// (status 3 and the file error's description when it cannot). --help, --version and
// errors on the command line go to standard output or standard error when the program was
// started with them (from a console, or redirected), and into a message box otherwise: a
// program of the window subsystem has no console of its own.
#include <windows.h>

#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "hostseal/common/message_sink.hpp"
#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/ui/win32/form1.hpp"
#include "hostseal/ui/win32/win32_message_sink.hpp"
#include "tools/console/windows/console_text.hpp"
#include "tools/console/windows/utf8_arguments.hpp"
#include "tools/hostseal-gui/gui_command_line.hpp"

namespace {

using hostseal::cli::StandardStream;

// Writes UTF-8 text to the standard handle, as wide characters to a console; false when
// there is no such handle or it does not take the text.
bool WriteToStandardHandle(StandardStream stream, std::string_view utf8) {
  const HANDLE handle = hostseal::cli::StandardHandle(stream);
  if (handle == nullptr) return false;
  return hostseal::cli::IsConsole(handle) ? hostseal::cli::WriteConsoleUtf8(handle, utf8)
                                          : hostseal::cli::WriteAllBytes(handle, utf8);
}

// A message box with UTF-8 text.
void ShowMessageBox(const std::string& utf8, UINT icon) {
  const std::u16string text = hostseal::FromUtf8(utf8);
  const std::wstring wide(text.begin(), text.end());
  ::MessageBoxW(nullptr, wide.c_str(), L"hostseal", MB_OK | icon);
}

// The text on the standard handle, or in a message box where there is none.
void Tell(StandardStream stream, const std::string& utf8) {
  if (WriteToStandardHandle(stream, utf8)) return;
  ShowMessageBox(utf8, stream == StandardStream::kError ? MB_ICONERROR : MB_ICONINFORMATION);
}

int UsageError(const std::string& what) {
  Tell(StandardStream::kError, hostseal::gui::UsageErrorText(what));
  return hostseal::gui::kGuiUsage;
}

// Serves the messages that are waiting, so that the window is painted.
void ServePendingMessages() {
  MSG message{};
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

int Screenshot(const std::string& fileName) {
  // Nobody is there to close a message box: messages go to standard error.
  hostseal::StandardErrorSink sink;
  const hostseal::DefaultMessageSinkScope scope(sink);
  hostseal::Form1 form(sink);
  ::ShowWindow(form.Handle(), SW_SHOWNORMAL);
  ::UpdateWindow(form.Handle());
  form.RunDemonstration();
  ServePendingMessages();
  try {
    form.SaveScreenshot(hostseal::FromUtf8(fileName));
  } catch (const hostseal::RaisedError& error) {
    Tell(StandardStream::kError, hostseal::gui::RaisedErrorText(error.Description()));
    return hostseal::gui::kGuiRaised;
  }
  return hostseal::gui::kGuiSuccess;
}

int Window() {
  hostseal::Win32MessageSink sink(u"hostseal");
  const hostseal::DefaultMessageSinkScope scope(sink);
  hostseal::Form1 form(sink);
  sink.SetOwner(form.Handle());
  form.QuitWhenClosed();
  ::ShowWindow(form.Handle(), SW_SHOWDEFAULT);
  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    // The dialog manager gives the Tab and arrow keys their meaning among the controls.
    if (form.Handle() == nullptr || !::IsDialogMessageW(form.Handle(), &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  sink.SetOwner(nullptr);
  return static_cast<int>(message.wParam);
}

int Run() {
  hostseal::cli::Utf8Arguments arguments;
  if (arguments.Unconvertible() != 0) {
    return UsageError("argument " + std::to_string(arguments.Unconvertible()) +
                      " is not Unicode text (it holds an unpaired surrogate)");
  }
  std::vector<std::string> words(arguments.Argv(), arguments.Argv() + arguments.Count());
  using hostseal::gui::GuiCommandLine;
  const GuiCommandLine line = hostseal::gui::ParseGuiCommandLine(words, false);
  switch (line.action) {
    case GuiCommandLine::Action::kHelp:
    case GuiCommandLine::Action::kVersion:
      Tell(StandardStream::kOutput, line.text);
      return hostseal::gui::kGuiSuccess;
    case GuiCommandLine::Action::kUsageError:
      return UsageError(line.text);
    case GuiCommandLine::Action::kWindow:
    case GuiCommandLine::Action::kScreenshot:
      break;
  }

  try {
    if (line.action == GuiCommandLine::Action::kScreenshot) return Screenshot(line.screenshotFile);
    return Window();
  } catch (const hostseal::RaisedError& error) {
    Tell(StandardStream::kError, hostseal::gui::RaisedErrorText(error.Description()));
    return hostseal::gui::kGuiNotShown;
  }
}

}  // namespace

int main() {
  try {
    return Run();
  } catch (const std::exception& error) {  // out of memory, or the system refused a resource
    ShowMessageBox(error.what(), MB_ICONERROR);
    return 1;
  } catch (...) {
    return 1;
  }
}
