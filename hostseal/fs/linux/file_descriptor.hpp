// FileDescriptor: sole owner of one POSIX file descriptor, closed when the owner goes away.
//
// The file layer keeps every open file in one of these so that no path, failing or not, can
// leak a descriptor. Close() is there for the one place where the result of closing matters
// (a file about to be renamed into place).
#pragma once

namespace hostseal {

class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) noexcept : m_Fd(fd) {}
  FileDescriptor(FileDescriptor&& other) noexcept;
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor();

  int Get() const noexcept { return m_Fd; }
  bool IsOpen() const noexcept { return m_Fd >= 0; }

  // Closes the descriptor now. Returns 0 or the errno of close(); the descriptor is gone
  // either way (an interrupted close has still released it on Linux).
  int Close() noexcept;

  // Gives the descriptor up to the caller, who closes it from now on.
  int Release() noexcept {
    const int fd = m_Fd;
    m_Fd = -1;
    return fd;
  }

 private:
  int m_Fd = -1;
};

}  // namespace hostseal
