// The prompt's console on Windows: the console itself (CONIN$ and CONOUT$, so that it works
// while the standard streams are redirected), echo switched off through the console mode and
// the answer read as UTF-16 with ReadConsoleW. The console's mode is put back on every way
// out: an answer, an error, and Ctrl+C, Ctrl+Break or closing the console, for which a control
// handler restores it before the system's own handler ends the process.
#include "tools/hostseal/secrets/terminal_line.hpp"

#include <windows.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "hostseal/common/secure_wipe.hpp"
#include "hostseal/common/utf8_codec.hpp"
#include "hostseal/fs/windows/system_error.hpp"
#include "tools/console/windows/console_text.hpp"
#include "tools/hostseal/exit_status.hpp"
#include "tools/hostseal/secrets/key_sources.hpp"

namespace hostseal::cli {

namespace {

// What the control handler needs; written before it is installed.
std::atomic<HANDLE> g_Input{nullptr};
DWORD g_SavedMode = 0;

BOOL WINAPI RestoreOnControl(DWORD /*event*/) {
  const HANDLE input = g_Input.load();
  if (input != nullptr) ::SetConsoleMode(input, g_SavedMode);
  return FALSE;  // the next handler, the system's, ends the process as usual
}

class Console {
 public:
  explicit Console(const wchar_t* name)
      : m_Handle(::CreateFileW(name, GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                               nullptr)) {
    if (m_Handle == INVALID_HANDLE_VALUE) {
      throw UsageError("--ask-passphrase needs a console (" + SystemErrorText(::GetLastError()) +
                           "); give the pass phrase with --passphrase-file or "
                           "HOSTSEAL_PASSPHRASE",
                       false);
    }
  }
  ~Console() { ::CloseHandle(m_Handle); }
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;
  HANDLE Get() const { return m_Handle; }

 private:
  HANDLE m_Handle;
};

// UTF-16 units held for a secret: wiped when it goes away, never grown past its capacity.
class SecretUnits {
 public:
  explicit SecretUnits(std::size_t capacity) { m_Units.reserve(capacity); }
  ~SecretUnits() { SecureWipe(m_Units.data(), m_Units.capacity() * sizeof(char16_t)); }
  SecretUnits(const SecretUnits&) = delete;
  SecretUnits& operator=(const SecretUnits&) = delete;
  bool Append(char16_t c) {
    if (m_Units.size() == m_Units.capacity()) return false;
    m_Units += c;
    return true;
  }
  std::u16string_view View() const { return m_Units; }

 private:
  std::u16string m_Units;
};

}  // namespace

struct Terminal::Handles {
  Console input{L"CONIN$"};
  Console output{L"CONOUT$"};
};

Terminal::Terminal() : m_Handles(std::make_unique<Handles>()) {}

Terminal::~Terminal() = default;

LineEnd Terminal::ReadLine(std::string_view prompt, SecretText& answer) const {
  const HANDLE input = m_Handles->input.Get();
  const HANDLE output = m_Handles->output.Get();
  WriteConsoleUtf8(output, prompt);
  // Each character takes at least one byte of UTF-8: a line of more units is too long anyway.
  SecretUnits line(kMaxSecretLine + 1);
  bool tooLong = false;
  wchar_t units[128];
  const WipeOnExit unitsWipe(units, sizeof units);
  for (bool ended = false; !ended;) {
    DWORD n = 0;
    if (::ReadConsoleW(input, units, 128, &n, nullptr) == 0 || n == 0) {
      return LineEnd::kInputEnded;
    }
    for (DWORD i = 0; i < n && !ended; ++i) {
      const auto c = static_cast<char16_t>(units[i]);
      if (c == u'\n') {
        ended = true;
      } else if (c != u'\r' && !line.Append(c)) {
        tooLong = true;
      }
    }
  }
  WriteConsoleUtf8(output, "\r\n");  // the Enter that the console did not echo
  std::optional<std::string> utf8 = ToUtf8Exact(line.View());
  if (!utf8) return LineEnd::kNotText;
  const WipeOnExit utf8Wipe(utf8->data(), utf8->size());
  if (tooLong) return LineEnd::kTooLong;
  answer = SecretText(*utf8);
  return LineEnd::kLine;
}

EchoOff::EchoOff(const Terminal& terminal) : m_Terminal(terminal) {
  const HANDLE input = m_Terminal.m_Handles->input.Get();
  if (::GetConsoleMode(input, &g_SavedMode) == 0) {
    throw UsageError("--ask-passphrase: the console cannot switch its echo off (" +
                         SystemErrorText(::GetLastError()) + ")",
                     false);
  }
  g_Input.store(input);
  ::SetConsoleCtrlHandler(RestoreOnControl, TRUE);
  const DWORD quiet = (g_SavedMode | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT) &
                      ~static_cast<DWORD>(ENABLE_ECHO_INPUT);
  ::SetConsoleMode(input, quiet);
}

EchoOff::~EchoOff() {
  ::SetConsoleMode(m_Terminal.m_Handles->input.Get(), g_SavedMode);
  g_Input.store(nullptr);
  ::SetConsoleCtrlHandler(RestoreOnControl, FALSE);
}

}  // namespace hostseal::cli
