// The signals that RemovalOnInterrupt and DeferredInterrupts (interrupt_cleanup.hpp) answer on
// Linux: every one whose default action ends the process:
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
#pragma once

#include <vector>

#include "hostseal/fs/interrupt_cleanup.hpp"

namespace hostseal {

// The signals that only come from outside, in increasing order.
std::vector<int> TerminatingSignals();

// The signals that a fault raises too, in increasing order.
std::vector<int> FaultSignals();

}  // namespace hostseal
