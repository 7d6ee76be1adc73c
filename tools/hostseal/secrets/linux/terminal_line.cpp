// The prompt's terminal on Linux: /dev/tty, termios for the echo, signal handlers that put the
// terminal's settings back before the tool ends or stops.
#include "tools/hostseal/secrets/terminal_line.hpp"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "tools/hostseal/exit_status.hpp"
#include "tools/hostseal/secrets/key_sources.hpp"

namespace hostseal::cli {

namespace {

constexpr std::array<int, 7> kHandledSignals{SIGINT,  SIGTERM, SIGHUP, SIGQUIT,
                                             SIGTSTP, SIGTTIN, SIGTTOU};

// What the signal handler needs: the terminal and its settings with and without echo. Written
// before the handlers are installed, read only by them.
volatile std::sig_atomic_t g_TerminalFd = -1;
struct termios g_Saved {};
struct termios g_Quiet {};
std::array<struct sigaction, kHandledSignals.size()> g_Previous{};

void WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
}

void RestoreTerminal(int signal) {
  const int saved = errno;
  const int fd = static_cast<int>(g_TerminalFd);
  if (fd >= 0) ::tcsetattr(fd, TCSAFLUSH, &g_Saved);
  // The signal's own action, with the signal unblocked so that it acts now.
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  ::sigemptyset(&byDefault.sa_mask);
  struct sigaction ours {};
  ::sigaction(signal, &byDefault, &ours);
  sigset_t just;
  ::sigemptyset(&just);
  ::sigaddset(&just, signal);
  ::sigprocmask(SIG_UNBLOCK, &just, nullptr);
  ::raise(signal);
  // Still here: the signal stopped the tool and it has been continued. Echo off again.
  ::sigaction(signal, &ours, nullptr);
  if (fd >= 0) ::tcsetattr(fd, TCSAFLUSH, &g_Quiet);
  errno = saved;
}

}  // namespace

// /dev/tty, open while the terminal is.
struct Terminal::Handles {
  Handles() : fd(::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY)) {
    if (fd < 0) {
      throw UsageError(
          "--ask-passphrase needs a terminal (/dev/tty: " + std::generic_category().message(errno) +
              "); give the pass phrase with --passphrase-file or HOSTSEAL_PASSPHRASE",
          false);
    }
  }
  ~Handles() { ::close(fd); }
  Handles(const Handles&) = delete;
  Handles& operator=(const Handles&) = delete;
  const int fd;
};

Terminal::Terminal() : m_Handles(std::make_unique<Handles>()) {}

Terminal::~Terminal() = default;

LineEnd Terminal::ReadLine(std::string_view prompt, SecretText& line) const {
  const int fd = m_Handles->fd;
  WriteAll(fd, prompt);
  line.Reserve(kMaxSecretLine + 1);
  bool tooLong = false;
  for (;;) {
    char c = 0;
    const ssize_t n = ::read(fd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      c = 0;
      return LineEnd::kInputEnded;
    }
    if (c == '\n') break;
    if (!line.Append(std::string_view(&c, 1))) tooLong = true;
    c = 0;
  }
  if (!line.Empty() && line.View().back() == '\r') line.PopBack();
  return tooLong ? LineEnd::kTooLong : LineEnd::kLine;
}

EchoOff::EchoOff(const Terminal& terminal) : m_Terminal(terminal) {
  const int fd = m_Terminal.m_Handles->fd;
  if (::tcgetattr(fd, &g_Saved) != 0) {
    throw UsageError("--ask-passphrase: the terminal cannot switch its echo off (" +
                         std::generic_category().message(errno) + ")",
                     false);
  }
  g_Quiet = g_Saved;
  g_Quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK);
  g_Quiet.c_lflag |= ICANON | ECHONL;
  g_TerminalFd = fd;
  struct sigaction handler {};
  handler.sa_handler = RestoreTerminal;
  ::sigemptyset(&handler.sa_mask);
  for (std::size_t i = 0; i < kHandledSignals.size(); ++i) {
    ::sigaction(kHandledSignals[i], &handler, &g_Previous[i]);
  }
  ::tcsetattr(fd, TCSAFLUSH, &g_Quiet);
}

EchoOff::~EchoOff() {
  ::tcsetattr(static_cast<int>(g_TerminalFd), TCSAFLUSH, &g_Saved);
  for (std::size_t i = 0; i < kHandledSignals.size(); ++i) {
    ::sigaction(kHandledSignals[i], &g_Previous[i], nullptr);
  }
  g_TerminalFd = -1;
}
}  // namespace hostseal::cli
