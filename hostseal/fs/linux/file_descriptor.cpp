#include "hostseal/fs/linux/file_descriptor.hpp"

#include <unistd.h>

#include <cerrno>
#include <utility>

namespace hostseal {

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept
    : m_Fd(std::exchange(other.m_Fd, -1)) {}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    Close();
    m_Fd = std::exchange(other.m_Fd, -1);
  }
  return *this;
}

FileDescriptor::~FileDescriptor() {
  Close();
}

int FileDescriptor::Close() noexcept {
  if (m_Fd < 0) return 0;
  const int fd = std::exchange(m_Fd, -1);
  if (::close(fd) == 0 || errno == EINTR) return 0;
  return errno;
}

}  // namespace hostseal
