// The console session on Windows: binary standard streams, std::cout through WriteConsoleW on
// a console, and virtual-terminal processing on where the console takes it.
#include "tools/hostseal/streams/standard_streams.hpp"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <streambuf>
#include <string>

#include "hostseal/common/utf8_codec.hpp"
#include "tools/console/console_route.hpp"
#include "tools/console/windows/console_text.hpp"

namespace hostseal::cli {

namespace {

// A stream buffer that writes UTF-8 to a console as UTF-16. Bytes are collected and written
// when the buffer fills or the stream is flushed; a character cut by a flush waits for the
// rest of its bytes.
class ConsoleBuffer final : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) : m_Console(console) { m_Pending.reserve(kSize); }
  ~ConsoleBuffer() override { WriteOut(true); }
  ConsoleBuffer(const ConsoleBuffer&) = delete;
  ConsoleBuffer& operator=(const ConsoleBuffer&) = delete;

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    m_Pending += traits_type::to_char_type(c);
    if (m_Pending.size() >= kSize && !WriteOut(false)) return traits_type::eof();
    return c;
  }
  std::streamsize xsputn(const char* data, std::streamsize n) override {
    m_Pending.append(data, static_cast<std::size_t>(n));
    if (m_Pending.size() >= kSize && !WriteOut(false)) return 0;
    return n;
  }
  int sync() override { return WriteOut(false) ? 0 : -1; }

 private:
  static constexpr std::size_t kSize = 4096;

  // Writes the complete characters held (all bytes when final); false when the console
  // refused them.
  bool WriteOut(bool final) {
    const std::size_t n = final ? m_Pending.size() : CompleteUtf8Length(m_Pending);
    if (n == 0) return true;
    const bool ok = WriteConsoleUtf8(m_Console, std::string_view(m_Pending).substr(0, n));
    m_Pending.erase(0, n);
    return ok;
  }

  HANDLE m_Console;
  std::string m_Pending;
};

}  // namespace

struct ConsoleSession::State {
  std::unique_ptr<ConsoleBuffer> buffer;
  std::streambuf* previous = nullptr;
  HANDLE output = nullptr;
  DWORD outputMode = 0;
  bool modeChanged = false;
};

ConsoleSession::ConsoleSession() : m_State(std::make_unique<State>()) {
  std::fflush(stdout);
  std::fflush(stderr);
  ::_setmode(::_fileno(stdin), _O_BINARY);
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);

  const HANDLE output = StandardHandle(StandardStream::kOutput);
  if (!IsConsole(output)) return;
  State& state = *m_State;
  state.output = output;
  if (::GetConsoleMode(output, &state.outputMode) != 0 &&
      (state.outputMode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) == 0) {
    // Consoles before Windows 10 refuse the flag; they get no colours (TerminalBox asks the
    // console whether the flag is on).
    state.modeChanged = ::SetConsoleMode(output, state.outputMode | ENABLE_PROCESSED_OUTPUT |
                                                     ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
  }
  std::cout.flush();
  state.buffer = std::make_unique<ConsoleBuffer>(output);
  state.previous = std::cout.rdbuf(state.buffer.get());
}

ConsoleSession::~ConsoleSession() {
  State& state = *m_State;
  if (state.buffer) {
    std::cout.flush();
    std::cout.rdbuf(state.previous);
    state.buffer.reset();
  }
  if (state.modeChanged) ::SetConsoleMode(state.output, state.outputMode);
}

}  // namespace hostseal::cli
