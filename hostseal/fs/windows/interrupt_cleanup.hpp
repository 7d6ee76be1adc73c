// Temporary files that an interrupted process removes on its way out, and sections of work that
// an interruption must not cut in half: the Windows counterpart of linux/interrupt_cleanup.hpp.
//
// While a RemovalOnInterrupt lives, its file is deleted when the console sends Ctrl-C or
// Ctrl-Break, or is closed, or the user logs off or the system shuts down. Windows runs console
// handlers on a thread of their own, so the deletion may take a lock; the handler then lets
// the event take its usual effect (the process ends). The file must have been opened with
// FILE_SHARE_DELETE, so that it can be deleted while this process still holds it open; it
// vanishes when the last handle to it closes, at the latest when the process ends.
//
// While a DeferredInterrupts lives (on any thread), the handler waits for it to go before it
// does anything: Ctrl-C and Ctrl-Break end the process only then, for writing a file in place,
// which must not stop half-way. A closed console, a log-off or a shutdown waits as well, but
// only as long as Windows lets a handler run (5 s for a closed console by default); then the
// system ends the process wherever it is.
#pragma once

#include <filesystem>

namespace hostseal {

class RemovalOnInterrupt {
 public:
  explicit RemovalOnInterrupt(const std::filesystem::path& file);
  RemovalOnInterrupt(const RemovalOnInterrupt&) = delete;
  RemovalOnInterrupt& operator=(const RemovalOnInterrupt&) = delete;
  ~RemovalOnInterrupt();

 private:
  std::filesystem::path m_File;
};

class DeferredInterrupts {
 public:
  DeferredInterrupts();
  DeferredInterrupts(const DeferredInterrupts&) = delete;
  DeferredInterrupts& operator=(const DeferredInterrupts&) = delete;
  ~DeferredInterrupts();
};

}  // namespace hostseal
