// TakeSecretVariable on Linux: the C library's environment, which is the process's own. The
// entries of the initial environment are the strings on the stack that /proc/PID/environ
// shows, so each is wiped there before it is removed; getenv would find only the first of
// several entries of one name.
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "hostseal/common/secure_wipe.hpp"
#include "tools/hostseal/secrets/key_sources.hpp"

namespace hostseal::cli {

std::optional<SecretText> TakeSecretVariable(const char* name) {
  std::optional<SecretText> first;
  const std::size_t nameLength = std::strlen(name);
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    char* text = *entry;
    if (std::strncmp(text, name, nameLength) != 0 || text[nameLength] != '=') continue;
    char* value = text + nameLength + 1;
    const std::size_t length = std::strlen(value);
    if (!first) first.emplace(std::string_view(value, length));
    SecureWipe(value, length);
  }
  // unsetenv removes every entry of the name; each round removes at least one.
  while (std::getenv(name) != nullptr) ::unsetenv(name);
  return first;
}

}  // namespace hostseal::cli
