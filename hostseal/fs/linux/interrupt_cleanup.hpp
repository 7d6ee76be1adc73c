// Named temporary files that an interrupted process removes on its way out, and sections of
// work that an interruption must not cut in half.
//
// While a RemovalOnInterrupt lives, its file (a folder descriptor and a name in it) is removed
// when SIGINT, SIGTERM or SIGHUP arrives; the signal then takes the effect it had before: the
// handler that was installed is called, or the default action ends the process. A signal that
// was ignored stays ignored (the process goes on and removes its files itself). The handlers
// are installed at the first use and stay.
//
// While a DeferredInterrupts lives (on any thread), those three signals are held back and take
// effect when the last one goes: for writing a file in place, which must not stop half-way.
// SIGKILL cannot be caught: a named temporary file can outlive it, an unnamed one cannot.
#pragma once

#include <string_view>

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

}  // namespace hostseal
