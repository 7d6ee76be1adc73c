// CoreDumpGuard on Windows. A crashing program is reported by Windows Error Reporting, whose
// report may carry the process's memory, where the keys are. WerSetFlags with
// WER_FAULT_REPORTING_FLAG_NOHEAP keeps the heap out of such reports for the guard's lifetime,
// and SetErrorMode(SEM_NOGPFAULTERRORBOX) keeps a crash from waiting on a dialog with the
// keys still in memory; both are put back afterwards.
//
// What Windows does not offer: a full dump that an administrator configured (WER LocalDumps
// with DumpType 2, or a debugger set as AeDebug) is written whatever the process asks, and
// programs of the same user may read the process's memory while it runs (Linux's
// non-dumpable flag closes that; Windows has no equivalent short of a protected process).
#include "tools/hostseal/process/core_dump_guard.hpp"

#include <windows.h>

namespace hostseal::cli {

namespace {

// MinGW's werapi.h does not compile on its own; the two kernel32 functions and the one flag
// the guard needs, as documented.
extern "C" {
HRESULT WINAPI WerGetFlags(HANDLE process, PDWORD flags);
HRESULT WINAPI WerSetFlags(DWORD flags);
}
constexpr DWORD kNoHeap = 1;  // WER_FAULT_REPORTING_FLAG_NOHEAP

// m_Before: the error mode in the low 16 bits; bit 16 set when the guard added kNoHeap, and
// then the reporting flags before it from bit 17 up (the documented ones fit in 8 bits).
constexpr unsigned kNoHeapAdded = 1u << 16;
constexpr unsigned kFlagsShift = 17;

}  // namespace

CoreDumpGuard::CoreDumpGuard() noexcept : m_Before(-1) {
  const UINT mode = ::SetErrorMode(0);
  ::SetErrorMode(mode | SEM_NOGPFAULTERRORBOX);
  unsigned before = mode & 0xFFFFu;
  DWORD flags = 0;
  if (SUCCEEDED(WerGetFlags(::GetCurrentProcess(), &flags)) && (flags & kNoHeap) == 0 &&
      flags < 0x100 && SUCCEEDED(WerSetFlags(flags | kNoHeap))) {
    before |= kNoHeapAdded | (flags << kFlagsShift);
  }
  m_Before = static_cast<int>(before);
}

CoreDumpGuard::~CoreDumpGuard() {
  if (m_Before < 0) return;
  const auto before = static_cast<unsigned>(m_Before);
  ::SetErrorMode(before & 0xFFFFu);
  if ((before & kNoHeapAdded) != 0) WerSetFlags(before >> kFlagsShift);
}

}  // namespace hostseal::cli
