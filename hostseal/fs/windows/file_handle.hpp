// FileHandle: sole owner of one Windows file handle (unique_handle.hpp).
#pragma once

#include <windows.h>

#include "hostseal/common/unique_handle.hpp"

namespace hostseal {

struct FileHandleTraits {
  using Native = HANDLE;
  using Error = DWORD;  // a GetLastError() code
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsOpen(HANDLE handle) noexcept { return handle != INVALID_HANDLE_VALUE; }
  static DWORD Close(HANDLE handle) noexcept {
    return ::CloseHandle(handle) ? 0 : ::GetLastError();
  }
};

using FileHandle = UniqueHandle<FileHandleTraits>;

}  // namespace hostseal
