#include "hostseal/fs/descriptor_stream.hpp"

#include <unistd.h>

#include <cerrno>

#include "hostseal/fs/file_error.hpp"

namespace hostseal {

std::size_t DescriptorSource::ReadSome(Byte* buffer, std::size_t n) {
  for (;;) {
    const ssize_t got = ::read(m_Fd, buffer, n);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) throw FileSystemError(errno, m_Name);
  }
}

void DescriptorSink::Write(const Byte* data, std::size_t n) {
  while (n > 0) {
    const ssize_t put = ::write(m_Fd, data, n);
    if (put < 0) {
      if (errno == EINTR) continue;
      throw FileSystemError(errno, m_Name);
    }
    if (put == 0) throw FileSystemError(EIO, m_Name);
    data += put;
    n -= static_cast<std::size_t>(put);
  }
}

}  // namespace hostseal
