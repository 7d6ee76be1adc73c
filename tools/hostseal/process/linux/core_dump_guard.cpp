// CoreDumpGuard on Linux: prctl's PR_SET_DUMPABLE.
#include "tools/hostseal/process/core_dump_guard.hpp"

#include <sys/prctl.h>

namespace hostseal::cli {

CoreDumpGuard::CoreDumpGuard() noexcept : m_Before(::prctl(PR_GET_DUMPABLE)) {
  ::prctl(PR_SET_DUMPABLE, 0);
}

CoreDumpGuard::~CoreDumpGuard() {
  // Restored so that tools that inspect a finished run (the leak checker of a sanitized build
  // attaches to the process at exit) still can; the keys are gone by then.
  if (m_Before > 0) ::prctl(PR_SET_DUMPABLE, m_Before);
}

}  // namespace hostseal::cli
