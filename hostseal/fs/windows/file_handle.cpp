#include "hostseal/fs/windows/file_handle.hpp"

#include <utility>

namespace hostseal {

FileHandle::FileHandle(FileHandle&& other) noexcept
    : m_Handle(std::exchange(other.m_Handle, INVALID_HANDLE_VALUE)) {}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
  if (this != &other) {
    Close();
    m_Handle = std::exchange(other.m_Handle, INVALID_HANDLE_VALUE);
  }
  return *this;
}

FileHandle::~FileHandle() {
  Close();
}

DWORD FileHandle::Close() noexcept {
  if (!IsOpen()) return 0;
  const BOOL closed = ::CloseHandle(std::exchange(m_Handle, INVALID_HANDLE_VALUE));
  return closed ? 0 : ::GetLastError();
}

}  // namespace hostseal
