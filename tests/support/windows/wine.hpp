// Whether the test runs under Wine rather than Windows: Wine's ntdll exports wine_get_version.
// Some system calls are stubs there (SendARP answers every address with "not supported").
#pragma once

#include <windows.h>

namespace hostseal::testing {

inline bool RunsUnderWine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace hostseal::testing
