#include "tools/hostseal/commands/keygen.hpp"

#include <cstddef>
#include <memory>
#include <string>

#include "hostseal/common/secure_wipe.hpp"
#include "tools/hostseal/commands/new_private_file.hpp"
#include "tools/hostseal/commands/random_bytes.hpp"
#include "tools/hostseal/exit_status.hpp"
#include "tools/hostseal/secrets/secret_text.hpp"
#include "tools/hostseal/streams/standard_streams.hpp"

namespace hostseal::cli {

namespace {

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

CommandRun DefineKeygen(CLI::App& command) {
  struct Options {
    int bits = 128;
    std::string file;
  };
  auto options = std::make_shared<Options>();
  command.add_option("--bits", options->bits, "The key's length: 128 (the default), 192 or 256")
      ->type_name("N")
      ->check(CLI::IsMember({128, 192, 256}));
  command
      .add_option("FILE", options->file,
                  "The new key file (an existing file is never replaced); - for standard "
                  "output")
      ->required();
  return [options](const CommandContext&) { return RunKeygen(options->bits, options->file); };
}

}  // namespace

const Command kKeygenCommand = {
    "keygen",
    "Make a new key from the system's random source: hex digits and a line feed in the new "
    "file FILE, readable by you only (mode 0600)",
    "hostseal keygen notes.key\n"
    "  hostseal encrypt-file --key-file notes.key notes.txt notes.aes",
    true,
    false,
    DefineKeygen};

}  // namespace hostseal::cli
