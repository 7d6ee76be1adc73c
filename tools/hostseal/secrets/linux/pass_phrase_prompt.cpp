// The terminal prompt on Linux: termios for the echo, signal handlers that put the terminal's
// settings back before the tool ends or stops.
#include "tools/hostseal/secrets/pass_phrase_prompt.hpp"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
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

// Echo off for its lifetime, with the handlers that undo it on a signal.
class QuietTerminal {
 public:
  explicit QuietTerminal(int fd) {
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
  ~QuietTerminal() {
    ::tcsetattr(static_cast<int>(g_TerminalFd), TCSAFLUSH, &g_Saved);
    for (std::size_t i = 0; i < kHandledSignals.size(); ++i) {
      ::sigaction(kHandledSignals[i], &g_Previous[i], nullptr);
    }
    g_TerminalFd = -1;
  }
  QuietTerminal(const QuietTerminal&) = delete;
  QuietTerminal& operator=(const QuietTerminal&) = delete;
};

class Terminal {
 public:
  Terminal() : m_Fd(::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY)) {
    if (m_Fd < 0) {
      throw UsageError(
          "--ask-passphrase needs a terminal (/dev/tty: " + std::generic_category().message(errno) +
              "); give the pass phrase with --passphrase-file or HOSTSEAL_PASSPHRASE",
          false);
    }
  }
  ~Terminal() { ::close(m_Fd); }
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;
  int Fd() const { return m_Fd; }

 private:
  int m_Fd;
};

// One answer: the line typed after the prompt, without its line feed.
SecretText Ask(int fd, std::string_view prompt) {
  WriteAll(fd, prompt);
  SecretText line;
  line.Reserve(kMaxSecretLine + 1);
  bool tooLong = false;
  for (;;) {
    char c = 0;
    const ssize_t n = ::read(fd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      c = 0;
      throw UsageError("--ask-passphrase: the input ended before a pass phrase was entered", false);
    }
    if (c == '\n') break;
    if (!line.Append(std::string_view(&c, 1))) tooLong = true;
    c = 0;
  }
  if (!line.Empty() && line.View().back() == '\r') line.PopBack();
  if (tooLong || line.Size() > kMaxSecretLine) {
    throw UsageError("--ask-passphrase: the pass phrase is longer than " +
                         std::to_string(kMaxSecretLine) + " bytes",
                     false);
  }
  return line;
}

}  // namespace

SecretText AskPassPhrase(bool confirm) {
  const Terminal terminal;
  const QuietTerminal quiet(terminal.Fd());
  SecretText first = Ask(terminal.Fd(), "Pass phrase: ");
  if (confirm) {
    const SecretText second = Ask(terminal.Fd(), "Pass phrase again: ");
    if (first.View() != second.View()) {
      throw UsageError("--ask-passphrase: the two pass phrases differ; nothing was encrypted",
                       false);
    }
  }
  return first;
}

}  // namespace hostseal::cli
