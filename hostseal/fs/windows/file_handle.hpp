// FileHandle: sole owner of one Windows file handle, closed when the owner goes away; the
// Windows counterpart of linux/file_descriptor.hpp.
#pragma once

#include <windows.h>

namespace hostseal {

class FileHandle {
 public:
  FileHandle() = default;
  explicit FileHandle(HANDLE handle) noexcept : m_Handle(handle) {}
  FileHandle(FileHandle&& other) noexcept;
  FileHandle& operator=(FileHandle&& other) noexcept;
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle();

  HANDLE Get() const noexcept { return m_Handle; }
  bool IsOpen() const noexcept { return m_Handle != INVALID_HANDLE_VALUE; }

  // Closes the handle now; returns 0 or the system's error code. The handle is gone either way.
  DWORD Close() noexcept;

 private:
  HANDLE m_Handle = INVALID_HANDLE_VALUE;
};

}  // namespace hostseal
