// Named temporary files that a process ended by a signal removes on its way out, and sections
// of work that such a signal must not cut in half.
//
// The signals are every one whose default action ends the process:
// - those that only ever come from outside the running instruction: SIGINT, SIGTERM, SIGHUP,
//   SIGQUIT, SIGPIPE, SIGALRM, SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF, SIGXCPU, SIGXFSZ, SIGIO
//   (SIGPOLL), SIGPWR, SIGSTKFLT and the real-time signals (TerminatingSignals());
// - those that a fault raises too: SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGTRAP, SIGSYS, SIGABRT
//   (FaultSignals()). They are treated as the others only when another process sent them
//   (`kill -SEGV`: si_code SI_USER, SI_QUEUE or SI_TKILL from another pid). When the process
//   raised one itself, by a faulting instruction (si_code > 0), by abort() or by raise() or
//   pthread_kill() (its own pid), its memory is not to be trusted: nothing is held back and
//   nothing removed, the handler that was there before is called (a sanitizer's, say), or the
//   default action ends the process at once, where the fault happened, dumping core where
//   that is the default. A named temporary file can then stay behind, and a write in place
//   stop half-way.
//
// While a RemovalOnInterrupt lives, its file (a folder descriptor and a name in it) is removed
// when one of these signals arrives; the signal then takes the effect it had before: the
// handler that was installed before is called, or the default action ends the process by that
// very signal (its parent sees WIFSIGNALED with it). A signal that was ignored stays ignored
// (the process goes on and removes its files itself). The handlers are installed at the first
// use and stay.
//
// While a DeferredInterrupts lives (on any thread), these signals are held back and take
// effect when the last one goes: for writing a file in place, and for giving a finished file
// its name, which must not stop half-way.
//
// SIGKILL cannot be caught, and neither can a power cut be. What they can leave is told in
// temporary_file.hpp and replacing_file.hpp: a named temporary file while it is being built
// (only where the file system has no unnamed files), a complete one between its linking and its
// renaming, and a partly written target during a write in place.
#pragma once

#include <string_view>
#include <vector>

namespace hostseal {

class RemovalOnInterrupt {
 public:
  // folder must stay open while this object lives. The name is at most 255 bytes.
  RemovalOnInterrupt(int folder, std::string_view name) noexcept;
  RemovalOnInterrupt(const RemovalOnInterrupt&) = delete;
  RemovalOnInterrupt& operator=(const RemovalOnInterrupt&) = delete;
  ~RemovalOnInterrupt();

 private:
  int m_Slot = -1;  // -1: no slot was free; the file is then only removed on the normal path
};

class DeferredInterrupts {
 public:
  DeferredInterrupts() noexcept;
  DeferredInterrupts(const DeferredInterrupts&) = delete;
  DeferredInterrupts& operator=(const DeferredInterrupts&) = delete;
  ~DeferredInterrupts();
};

// The signals that only come from outside, in increasing order.
std::vector<int> TerminatingSignals();

// The signals that a fault raises too, in increasing order.
std::vector<int> FaultSignals();

}  // namespace hostseal
