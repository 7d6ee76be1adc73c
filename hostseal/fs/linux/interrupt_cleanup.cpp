#include "hostseal/fs/linux/interrupt_cleanup.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <mutex>

namespace hostseal {

namespace {

// The signals whose default action ends the process and that come from outside the faulting
// instruction. Besides the usual ones:
// - SIGIO (the same number as SIGPOLL), SIGPWR and SIGSTKFLT: nothing here asks for them, but
//   their default ends the process and anyone allowed to signal it can send them.
// - The real-time signals SIGRTMIN..SIGRTMAX, for the same reason (`kill -RTMIN+3`). The C
//   library keeps the few below SIGRTMIN for its threads and hands out the rest; a library
//   that installs its own handler later replaces ours for that signal, one installed before
//   is called instead of the cleanup, as for every other signal.
// SIGXFSZ is among them for library callers that leave it at its default; the tool ignores it
// so that writing past the file-size limit is an error it reports (EFBIG).
constexpr std::array<int, 15> kClassicSignals = {SIGHUP,  SIGINT,    SIGQUIT, SIGUSR1,   SIGUSR2,
                                                 SIGPIPE, SIGALRM,   SIGTERM, SIGSTKFLT, SIGXCPU,
                                                 SIGXFSZ, SIGVTALRM, SIGPROF, SIGIO,     SIGPWR};
// The signals that a faulting instruction, abort() or raise() gives the process itself, and
// that another process may send as well (`kill -ABRT`); only the sent ones are held back.
constexpr std::array<int, 7> kFaultSignals = {SIGILL, SIGTRAP, SIGABRT, SIGBUS,
                                              SIGFPE, SIGSEGV, SIGSYS};
constexpr int kSignalLimit = 65;  // signal numbers are 1..64 on Linux
constexpr std::size_t kSlotCount = 64;
constexpr std::size_t kNameCapacity = 256;

// A slot is free (0), being filled or emptied by its owner (1), or names a file (2). The
// handler reads only slots in state 2, whose fields were written before the state was.
struct Slot {
  std::atomic<int> state{0};
  int folder = -1;
  std::array<char, kNameCapacity> name{};
};

std::array<Slot, kSlotCount> g_Slots;
std::atomic<int> g_DeferDepth{0};
// Bit n - 1: signal n arrived while held back and has not taken effect yet.
std::atomic<std::uint64_t> g_Pending{0};
// Bit n - 1: fault signal n is being raised again by the end of a section that held it back;
// it came from another process, though it now comes from this one.
std::atomic<std::uint64_t> g_Releasing{0};
// Written before the handlers are installed, read-only afterwards.
std::array<struct sigaction, kSignalLimit> g_Previous{};
std::once_flag g_Installed;

std::uint64_t Bit(int signal) noexcept {
  return std::uint64_t{1} << static_cast<unsigned>(signal - 1);
}

bool IsFaultSignal(int signal) noexcept {
  return std::find(kFaultSignals.begin(), kFaultSignals.end(), signal) != kFaultSignals.end();
}

// A fault signal that the process raised itself: the kernel's for a faulting instruction
// (si_code > 0), or sent by the process to itself (abort(), raise(), pthread_kill(): its own
// pid), unless it is one held back before and raised again now.
bool RaisedByItself(int signal, const siginfo_t* info) noexcept {
  if ((g_Releasing.fetch_and(~Bit(signal)) & Bit(signal)) != 0) return false;
  return info != nullptr && (info->si_code > 0 || info->si_pid == ::getpid());
}

void RemoveRegisteredFiles() noexcept {
  for (Slot& slot : g_Slots) {
    if (slot.state.load(std::memory_order_acquire) == 2) {
      ::unlinkat(slot.folder, slot.name.data(), 0);
    }
  }
}

// Puts the default action back and raises the signal again; it arrives once unblocked.
void RaiseWithDefaultAction(int signal) noexcept {
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  ::sigemptyset(&fallback.sa_mask);
  ::sigaction(signal, &fallback, nullptr);
  ::raise(signal);
}

// The effect the signal had before our handler. Where the default action ends the process, the
// files are removed first; the default action is then put back and the signal arrives again,
// unblocked, so that the process ends by this signal. A handler of the program's own is called:
// - for a signal that only comes from outside (SIGALRM, SIGUSR1, SIGHUP, ...) nothing is removed,
//   since the process goes on when the handler returns and still needs its files (a handler
//   that ends the process itself leaves a named temporary file behind);
// - for a fault signal that another process sent (`kill -SEGV`), the files are removed first:
//   the handler of such a signal is a crash handler or a sanitizer's, which ends the process.
void TakePreviousEffect(int signal, siginfo_t* info, void* context) noexcept {
  const struct sigaction& previous = g_Previous[static_cast<std::size_t>(signal)];
  const bool withInfo = (previous.sa_flags & SA_SIGINFO) != 0;
  if (!withInfo && previous.sa_handler == SIG_IGN) return;
  if (withInfo || previous.sa_handler != SIG_DFL) {
    if (IsFaultSignal(signal)) RemoveRegisteredFiles();
    if (!withInfo) {
      previous.sa_handler(signal);
    } else if (previous.sa_sigaction != nullptr) {
      previous.sa_sigaction(signal, info, context);
    }
    return;
  }
  RemoveRegisteredFiles();
  RaiseWithDefaultAction(signal);
  sigset_t set;
  ::sigemptyset(&set);
  ::sigaddset(&set, signal);
  ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

// A fault of the process's own: the handler that was there before takes it (with the fault's
// own details), or the default action comes back and the signal is raised again. It is held
// while this handler runs and arrives as it returns, before the faulting instruction would
// run again, so the process ends where the fault happened, by that signal.
void TakeFaultEffect(int signal, siginfo_t* info, void* context) noexcept {
  const struct sigaction& previous = g_Previous[static_cast<std::size_t>(signal)];
  if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction != nullptr) {
    previous.sa_sigaction(signal, info, context);
    return;
  }
  if ((previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler != SIG_DFL &&
      previous.sa_handler != SIG_IGN) {
    previous.sa_handler(signal);
    return;
  }
  RaiseWithDefaultAction(signal);
}

// Everything here is async-signal-safe: atomics, getpid, unlinkat, sigaction, raise,
// pthread_sigmask.
void OnInterrupt(int signal, siginfo_t* info, void* context) {
  const int savedErrno = errno;
  if (IsFaultSignal(signal) && RaisedByItself(signal, info)) {
    TakeFaultEffect(signal, info, context);
    errno = savedErrno;
    return;
  }
  if (g_DeferDepth.load() > 0) {
    g_Pending.fetch_or(Bit(signal));
    // The section may have ended meanwhile on another thread, having found nothing pending:
    // whoever clears the bit acts on it.
    if (g_DeferDepth.load() > 0 || (g_Pending.fetch_and(~Bit(signal)) & Bit(signal)) == 0) {
      errno = savedErrno;
      return;
    }
  }
  TakePreviousEffect(signal, info, context);
  errno = savedErrno;
}

void Install(int signal, struct sigaction& ours) {
  struct sigaction current {};
  if (::sigaction(signal, nullptr, &current) != 0) return;
  // An ignored signal ends nothing, so there is nothing to clean up before it.
  if ((current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_IGN) return;
  g_Previous[static_cast<std::size_t>(signal)] = current;
  ::sigaction(signal, &ours, nullptr);
}

void InstallHandlers() {
  std::call_once(g_Installed, [] {
    std::vector<int> signals = TerminatingSignals();
    signals.insert(signals.end(), kFaultSignals.begin(), kFaultSignals.end());
    struct sigaction ours {};
    ours.sa_sigaction = OnInterrupt;
    // On the alternate stack where the thread has one, as a sanitizer's handler that comes
    // before it expects for a stack overflow.
    ours.sa_flags = SA_SIGINFO | SA_RESTART | SA_ONSTACK;
    ::sigemptyset(&ours.sa_mask);
    for (const int signal : signals) ::sigaddset(&ours.sa_mask, signal);
    for (const int signal : signals) Install(signal, ours);
  });
}

}  // namespace

std::vector<int> TerminatingSignals() {
  std::vector<int> signals(kClassicSignals.begin(), kClassicSignals.end());
  for (int signal = SIGRTMIN; signal <= SIGRTMAX && signal < kSignalLimit; ++signal) {
    signals.push_back(signal);
  }
  std::sort(signals.begin(), signals.end());
  return signals;
}

std::vector<int> FaultSignals() {
  std::vector<int> signals(kFaultSignals.begin(), kFaultSignals.end());
  std::sort(signals.begin(), signals.end());
  return signals;
}

RemovalOnInterrupt::RemovalOnInterrupt(int folder, SystemName name) {
  if (name.size() >= kNameCapacity) return;
  InstallHandlers();
  for (std::size_t i = 0; i < g_Slots.size(); ++i) {
    int expected = 0;
    if (g_Slots[i].state.compare_exchange_strong(expected, 1)) {
      g_Slots[i].folder = folder;
      std::memcpy(g_Slots[i].name.data(), name.data(), name.size());
      g_Slots[i].name[name.size()] = '\0';
      g_Slots[i].state.store(2, std::memory_order_release);
      m_Slot = static_cast<int>(i);
      return;
    }
  }
}

RemovalOnInterrupt::~RemovalOnInterrupt() {
  if (m_Slot >= 0) g_Slots[static_cast<std::size_t>(m_Slot)].state.store(0);
}

DeferredInterrupts::DeferredInterrupts() {
  InstallHandlers();
  g_DeferDepth.fetch_add(1);
}

DeferredInterrupts::~DeferredInterrupts() {
  if (g_DeferDepth.fetch_sub(1) != 1) return;
  // Every signal that was held back, lowest first; the first whose effect is the default
  // action ends the process.
  const std::uint64_t pending = g_Pending.exchange(0);
  for (int signal = 1; signal < kSignalLimit; ++signal) {
    if ((pending & Bit(signal)) == 0) continue;
    if (IsFaultSignal(signal)) g_Releasing.fetch_or(Bit(signal));
    ::raise(signal);
  }
}

}  // namespace hostseal
