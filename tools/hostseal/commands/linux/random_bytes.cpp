// FillRandomBytes on Linux: getrandom(2), which waits only until the kernel's generator is
// first seeded, and gives at most 32 MiB a call.
#include "tools/hostseal/commands/random_bytes.hpp"

#include <sys/random.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "hostseal/common/raised_error.hpp"

namespace hostseal::cli {

void FillRandomBytes(Byte* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::getrandom(data + done, size - done, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw RaisedError(ErrorNumber::kDeviceIoError,
                        "Device I/O error: the system's random source (" +
                            std::generic_category().message(errno) + ")");
    }
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace hostseal::cli
