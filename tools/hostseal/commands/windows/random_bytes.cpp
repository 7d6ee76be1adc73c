// FillRandomBytes on Windows: BCryptGenRandom with the system's preferred generator (Windows 7
// and later; no algorithm handle to open), at most a ULONG's worth a call.
#include "tools/hostseal/commands/random_bytes.hpp"

#include <windows.h>
// windows.h first: bcrypt.h needs its types.
#include <bcrypt.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "hostseal/common/raised_error.hpp"

namespace hostseal::cli {

void FillRandomBytes(Byte* data, std::size_t size) {
  constexpr std::size_t kMostPerCall = 0x7FFF'FFFF;
  std::size_t done = 0;
  while (done < size) {
    const auto n = static_cast<ULONG>(std::min(size - done, kMostPerCall));
    const NTSTATUS status =
        ::BCryptGenRandom(nullptr, data + done, n, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    if (status < 0) {
      char code[16];
      std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(status));
      throw RaisedError(
          ErrorNumber::kDeviceIoError,
          std::string("Device I/O error: the system's random source (status ") + code + ")");
    }
    done += n;
  }
}

}  // namespace hostseal::cli
