// This machine's name on Linux: the kernel's host name (uname's nodename).
#include <unistd.h>

#include <array>
#include <climits>

#include "hostseal/common/utf8.hpp"
#include "hostseal/hostinfo/local_host_name.hpp"

namespace hostseal {

std::u16string GetLocalHostName() {
  // Room for the longest name and its terminating 0: glibc fails, rather than cut the name,
  // when the buffer has no room for the 0.
  std::array<char, HOST_NAME_MAX + 1> buffer{};
  if (gethostname(buffer.data(), buffer.size()) != 0) return {};
  buffer.back() = '\0';
  return FromUtf8(buffer.data());
}

}  // namespace hostseal
