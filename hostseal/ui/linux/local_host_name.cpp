// This machine's name on Linux: the kernel's host name (uname's nodename).
#include <unistd.h>

#include <array>
#include <climits>

#include "hostseal/common/utf8.hpp"
#include "hostseal/ui/identity_operation.hpp"

namespace hostseal {

std::u16string GetLocalHostName() {
  std::array<char, HOST_NAME_MAX + 1> buffer{};
  if (gethostname(buffer.data(), buffer.size() - 1) != 0) return {};
  return FromUtf8(buffer.data());  // the last byte stays 0 even when the name was cut
}

}  // namespace hostseal
