// The standard streams on Windows: the process's standard handles. A console is written and
// read in UTF-16 (WriteConsoleW, ReadConsoleW); files, pipes and the NUL device get and give
// the UTF-8 bytes as they are.
#include "tools/hostseal/streams/standard_streams.hpp"

#include <windows.h>

#include <algorithm>
#include <string>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/common/utf8_codec.hpp"
#include "hostseal/fs/windows/system_error.hpp"
#include "tools/console/windows/console_text.hpp"

namespace hostseal::cli {

namespace {

[[noreturn]] void RaiseInputError(DWORD error) {
  throw RaisedError(ErrorNumber::kDeviceIoError,
                    "Device I/O error: standard input: " + SystemErrorText(error));
}

// What has been read from the console and not yet handed on. Standard input is read by one
// thread only.
struct ConsoleInput {
  std::string ready;    // UTF-8 waiting to be handed on
  std::u16string held;  // a final "\r" or high surrogate, waiting for what follows
  bool atLineStart = true;
  bool ended = false;
};

ConsoleInput& TheConsoleInput() {
  static ConsoleInput input;
  return input;
}

// One ReadConsoleW into input.ready; a line that begins with Ctrl+Z ends the input.
void ReadConsoleLine(HANDLE console, ConsoleInput& input) {
  wchar_t units[4096];
  DWORD n = 0;
  if (::ReadConsoleW(console, units, 4096, &n, nullptr) == 0) RaiseInputError(::GetLastError());
  if (n == 0) {
    input.ended = true;
  }
  std::u16string text = std::move(input.held);
  input.held.clear();
  for (DWORD i = 0; i < n && !input.ended; ++i) {
    const auto c = static_cast<char16_t>(units[i]);
    if (c == 0x1A && input.atLineStart) {
      input.ended = true;
      break;
    }
    text += c;
    input.atLineStart = c == u'\n';
  }
  // "\r\n" becomes "\n", as a terminal on Linux gives it.
  std::u16string lines;
  lines.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
    lines += text[i];
  }
  if (!input.ended && !lines.empty() && (lines.back() == u'\r' || IsHighSurrogate(lines.back()))) {
    input.held = lines.substr(lines.size() - 1);
    lines.pop_back();
  }
  input.ready += ToUtf8(lines);
}

std::size_t ReadConsoleText(HANDLE console, char* buffer, std::size_t size) {
  ConsoleInput& input = TheConsoleInput();
  while (input.ready.empty() && !input.ended) ReadConsoleLine(console, input);
  if (input.ready.empty() && !input.held.empty()) {
    input.ready = ToUtf8(input.held);
    input.held.clear();
  }
  const std::size_t n = std::min(size, input.ready.size());
  std::copy_n(input.ready.data(), n, buffer);
  input.ready.erase(0, n);
  return n;
}

}  // namespace

bool IsTerminal(StandardStream stream) {
  return IsConsole(StandardHandle(stream));
}

void WriteStandardError(std::string_view utf8) {
  const HANDLE handle = StandardHandle(StandardStream::kError);
  if (handle == nullptr) return;
  // A diagnostic that cannot be written has nowhere else to go.
  if (IsConsole(handle)) {
    WriteConsoleUtf8(handle, utf8);
  } else {
    WriteAllBytes(handle, utf8);
  }
}

std::size_t ReadStandardInput(char* buffer, std::size_t size) {
  const HANDLE handle = StandardHandle(StandardStream::kInput);
  if (handle == nullptr || size == 0) return 0;
  if (IsConsole(handle)) return ReadConsoleText(handle, buffer, size);
  DWORD n = 0;
  const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
  if (::ReadFile(handle, buffer, wanted, &n, nullptr) == 0) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return 0;  // the writer is done
    RaiseInputError(error);
  }
  return n;
}

const char* EndOfInputKeys() {
  return "Ctrl-Z then Enter";
}

}  // namespace hostseal::cli
