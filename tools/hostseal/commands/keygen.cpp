#include "tools/hostseal/commands/keygen.hpp"

#include <cstddef>
#include <string>

#include "hostseal/common/secure_wipe.hpp"
#include "tools/hostseal/commands/new_private_file.hpp"
#include "tools/hostseal/commands/random_bytes.hpp"
#include "tools/hostseal/exit_status.hpp"
#include "tools/hostseal/secrets/secret_text.hpp"
#include "tools/hostseal/streams/standard_streams.hpp"

namespace hostseal::cli {

int RunKeygen(int bits, const std::string& file) {
  constexpr char kDigits[] = "0123456789abcdef";
  const auto size = static_cast<std::size_t>(bits / 8);
  const WipedBuffer key(size);
  FillRandomBytes(key.Get(), size);
  std::string text(size * 2 + 1, '\n');
  const WipeOnExit textWipe(text.data(), text.size());
  for (std::size_t i = 0; i < size; ++i) {
    text[2 * i] = kDigits[key.Get()[i] >> 4];
    text[2 * i + 1] = kDigits[key.Get()[i] & 0x0F];
  }
  if (file == "-") {
    WriteUtf8(text);
  } else {
    WriteNewPrivateFile(file, text);
  }
  return kExitSuccess;
}

}  // namespace hostseal::cli
