// TakeSecretVariable on Linux: the C library's environment, which is the process's own (the
// one /proc/PID/environ shows is the initial copy on the stack, which getenv points into).
#include <cstdlib>
#include <cstring>

#include "hostseal/common/secure_wipe.hpp"
#include "tools/hostseal/key_sources.hpp"

namespace hostseal::cli {

std::optional<SecretText> TakeSecretVariable(const char* name) {
  char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  const std::size_t length = std::strlen(value);
  SecretText text(std::string_view(value, length));
  SecureWipe(value, length);
  ::unsetenv(name);
  return text;
}

}  // namespace hostseal::cli
