#include "tools/hostseal/key_options.hpp"

#include "hostseal/common/utf8.hpp"

namespace hostseal::cli {

void AddKeyOptions(CLI::App& command, KeyOptions& options) {
  CLI::Option* key = command.add_option_function<std::string>(
      "--key", [&options](const std::string& value) { options.hexKey = value; },
      "The key as 32, 48 or 64 hexadecimal digits (128, 192 or 256 bits)");
  key->type_name("HEX");
  CLI::Option* passPhrase = command.add_option_function<std::string>(
      "--passphrase", [&options](const std::string& value) { options.passPhrase = value; },
      "A pass phrase; its bytes in the code page, cut or filled up with zero bytes, make the key");
  passPhrase->type_name("TEXT");
  CLI::Option* bits =
      command.add_option("--bits", options.bits, "Key length for --passphrase: 128, 192 or 256")
          ->type_name("N")
          ->check(CLI::IsMember({128, 192, 256}))
          ->needs(passPhrase);
  (void)bits;
  key->excludes(passPhrase);
}

KeyChoice ToKeyChoice(const KeyOptions& options) {
  KeyChoice choice;
  if (options.hexKey) {
    choice.kind = KeyChoice::Kind::kHexKey;
    choice.text = FromUtf8(*options.hexKey);
  } else if (options.passPhrase) {
    choice.kind = KeyChoice::Kind::kPassPhrase;
    choice.text = FromUtf8(*options.passPhrase);
    choice.bits = options.bits;
  }
  return choice;
}

}  // namespace hostseal::cli
