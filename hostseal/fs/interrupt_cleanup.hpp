// Temporary files that a process ended by an interruption removes on its way out, and sections
// of work that an interruption must not cut in half.
//
// The interruptions are, on Linux, every signal whose default action ends the process
// (linux/interrupt_cleanup.hpp lists them and tells what becomes of a fault of the process
// itself); on Windows, Ctrl-C and Ctrl-Break, a closed console, a log-off and a shutdown.
//
// While a RemovalOnInterrupt lives, an interruption that ends the process removes its file
// first: on Linux a signal whose action is the default one, which then ends the process by
// that very signal (its parent sees WIFSIGNALED with it); on Windows every console event,
// which then goes to the next console handler, in the end the system's, which ends the
// process. On Linux a signal that the program handles itself goes to its handler and removes
// nothing, since the program may go on and still need the file (except a fault signal sent by
// another process, whose handler is a crash handler or a sanitizer's: the file goes first),
// and a signal that was ignored stays ignored. Windows runs console handlers on a thread of their own; the file
// must have been opened with FILE_SHARE_DELETE, so that it can be deleted while this process
// still holds it open, and it vanishes when the last handle to it closes, at the latest when
// the process ends. The handlers are installed at the first use and stay.
//
// While a DeferredInterrupts lives (on any thread), interruptions wait and take effect when the
// last one goes: for writing a file in place, and (on Linux) for giving a finished file its
// name, which must not stop half-way. On Windows a closed console, a log-off or a shutdown
// waits only as long as Windows lets a handler run (5 s for a closed console by default); then
// the system ends the process wherever it is.
//
// SIGKILL cannot be caught, and neither can a power cut be. What they can leave is told in
// linux/temporary_file.hpp and replacing_file.hpp: a named temporary file while it is being
// built (only where the file system has no unnamed files), a complete one between its linking
// and its renaming, and a partly written target during a write in place.
#pragma once

#include <filesystem>
#include <string_view>

namespace hostseal {

// A name as the system takes it: bytes on Linux, UTF-16 on Windows.
using SystemName = std::basic_string_view<std::filesystem::path::value_type>;

// The folder argument where a file is named by its whole path.
inline constexpr int kWholePath = -1;

class RemovalOnInterrupt {
 public:
  // The file name in folder, an open descriptor of its folder that stays open while this object
  // lives; on Linux the name is at most 255 bytes. Windows removes files by their path: there
  // folder is kWholePath and name the whole path, which is made full now, so that the handler
  // finds the file whatever the current folder is then.
  RemovalOnInterrupt(int folder, SystemName name);
  RemovalOnInterrupt(const RemovalOnInterrupt&) = delete;
  RemovalOnInterrupt& operator=(const RemovalOnInterrupt&) = delete;
  ~RemovalOnInterrupt();

 private:
  // Where the file is registered; -1 nowhere (on Linux, when no slot was free), and the file is
  // then only removed on the normal path.
  int m_Slot = -1;
};

class DeferredInterrupts {
 public:
  DeferredInterrupts();
  DeferredInterrupts(const DeferredInterrupts&) = delete;
  DeferredInterrupts& operator=(const DeferredInterrupts&) = delete;
  ~DeferredInterrupts();
};

}  // namespace hostseal
