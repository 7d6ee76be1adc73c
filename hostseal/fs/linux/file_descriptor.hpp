// FileDescriptor: sole owner of one POSIX file descriptor (unique_handle.hpp).
#pragma once

#include <unistd.h>

#include <cerrno>

#include "hostseal/common/unique_handle.hpp"

namespace hostseal {

struct DescriptorTraits {
  using Native = int;
  using Error = int;  // an errno
  static int Invalid() noexcept { return -1; }
  static bool IsOpen(int fd) noexcept { return fd >= 0; }
  // An interrupted close has still released the descriptor on Linux: that is no failure.
  static int Close(int fd) noexcept { return ::close(fd) == 0 || errno == EINTR ? 0 : errno; }
};

using FileDescriptor = UniqueHandle<DescriptorTraits>;

}  // namespace hostseal
