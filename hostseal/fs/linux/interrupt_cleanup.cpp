#include "hostseal/fs/linux/interrupt_cleanup.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>

namespace hostseal {

namespace {

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};
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
std::atomic<int> g_PendingSignal{0};
std::array<struct sigaction, kSignals.size()> g_Previous{};
std::once_flag g_Installed;

void RemoveRegisteredFiles() noexcept {
  for (Slot& slot : g_Slots) {
    if (slot.state.load(std::memory_order_acquire) == 2) {
      ::unlinkat(slot.folder, slot.name.data(), 0);
    }
  }
}

const struct sigaction* PreviousAction(int signal) noexcept {
  for (std::size_t i = 0; i < kSignals.size(); ++i) {
    if (kSignals[i] == signal) return &g_Previous[i];
  }
  return nullptr;
}

// Everything here is async-signal-safe.
void OnInterrupt(int signal, siginfo_t* info, void* context) {
  const int savedErrno = errno;
  if (g_DeferDepth.load() > 0) {
    g_PendingSignal.store(signal);
    errno = savedErrno;
    return;
  }
  RemoveRegisteredFiles();
  const struct sigaction* previous = PreviousAction(signal);
  if (previous != nullptr && (previous->sa_flags & SA_SIGINFO) != 0) {
    if (previous->sa_sigaction != nullptr) previous->sa_sigaction(signal, info, context);
  } else if (previous != nullptr && previous->sa_handler != SIG_DFL &&
             previous->sa_handler != SIG_IGN) {
    previous->sa_handler(signal);
  } else if (previous == nullptr || previous->sa_handler == SIG_DFL) {
    // The default action: put it back and let the signal arrive again, unblocked.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    ::sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal);
    sigset_t set;
    ::sigemptyset(&set);
    ::sigaddset(&set, signal);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
  }
  errno = savedErrno;
}

void InstallHandlers() {
  std::call_once(g_Installed, [] {
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
      struct sigaction current {};
      if (::sigaction(kSignals[i], nullptr, &current) != 0) continue;
      // An ignored signal ends nothing, so there is nothing to clean up before it.
      if ((current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_IGN) continue;
      g_Previous[i] = current;
      struct sigaction ours {};
      ours.sa_sigaction = OnInterrupt;
      ours.sa_flags = SA_SIGINFO | SA_RESTART;
      ::sigemptyset(&ours.sa_mask);
      for (const int other : kSignals) ::sigaddset(&ours.sa_mask, other);
      ::sigaction(kSignals[i], &ours, nullptr);
    }
  });
}

}  // namespace

RemovalOnInterrupt::RemovalOnInterrupt(int folder, std::string_view name) noexcept {
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

DeferredInterrupts::DeferredInterrupts() noexcept {
  InstallHandlers();
  g_DeferDepth.fetch_add(1);
}

DeferredInterrupts::~DeferredInterrupts() {
  if (g_DeferDepth.fetch_sub(1) == 1) {
    const int pending = g_PendingSignal.exchange(0);
    if (pending != 0) ::raise(pending);
  }
}

}  // namespace hostseal
