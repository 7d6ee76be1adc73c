// CoreDumpGuard: keeps key material out of core dumps and away from other processes of the
// same user while the tool runs. The process is marked non-dumpable (no core file, and its
// memory and /proc files closed to everyone but root) for the guard's lifetime, and put back
// as it was afterwards, once the keys are wiped.
#pragma once

namespace hostseal::cli {

class CoreDumpGuard {
 public:
  CoreDumpGuard() noexcept;
  ~CoreDumpGuard();
  CoreDumpGuard(const CoreDumpGuard&) = delete;
  CoreDumpGuard& operator=(const CoreDumpGuard&) = delete;

 private:
  int m_Before;  // the setting before, or -1 when it could not be read
};

}  // namespace hostseal::cli
