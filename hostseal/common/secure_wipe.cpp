#include "hostseal/common/secure_wipe.hpp"

#include <string.h>  // NOLINT(modernize-deprecated-headers): explicit_bzero is glibc's, not <cstring>'s

namespace hostseal {

void SecureWipe(void* data, std::size_t size) noexcept {
  if (data != nullptr && size != 0) ::explicit_bzero(data, size);
}

}  // namespace hostseal
