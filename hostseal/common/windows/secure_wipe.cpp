// SecureWipe on Windows: SecureZeroMemory, whose stores the compiler keeps (there is no
// explicit_bzero).
#include "hostseal/common/secure_wipe.hpp"

#include <windows.h>

namespace hostseal {

void SecureWipe(void* data, std::size_t size) noexcept {
  if (data != nullptr && size != 0) ::SecureZeroMemory(data, size);
}

}  // namespace hostseal
