#include "hostseal/fs/descriptor_stream.hpp"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>

#include "hostseal/fs/file_error.hpp"

namespace hostseal {

namespace {

// The C library's descriptors take 32-bit counts.
constexpr std::size_t kLargestTransfer = std::size_t{1} << 30;

// Bytes pass unchanged: no CR LF translation, no Ctrl-Z as the end.
void MakeBinary(int fd) {
  ::_setmode(fd, _O_BINARY);
}

}  // namespace

std::size_t DescriptorSource::ReadSome(Byte* buffer, std::size_t n) {
  MakeBinary(m_Fd);
  const int got = ::_read(m_Fd, buffer, static_cast<unsigned>(std::min(n, kLargestTransfer)));
  if (got < 0) throw FileSystemError(errno, m_Name);
  return static_cast<std::size_t>(got);
}

void DescriptorSink::Write(const Byte* data, std::size_t n) {
  MakeBinary(m_Fd);
  while (n > 0) {
    const int put = ::_write(m_Fd, data, static_cast<unsigned>(std::min(n, kLargestTransfer)));
    if (put < 0) throw FileSystemError(errno, m_Name);
    if (put == 0) throw FileSystemError(EIO, m_Name);
    data += put;
    n -= static_cast<std::size_t>(put);
  }
}

}  // namespace hostseal
