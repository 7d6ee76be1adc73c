#include "tools/hostseal/secrets/secret_arguments.hpp"

#include <array>
#include <cstring>

#include "hostseal/common/secure_wipe.hpp"

namespace hostseal::cli {

namespace {

constexpr std::array<std::string_view, 2> kSecretOptions{"--key", "--passphrase"};

bool IsSecretOption(std::string_view argument) {
  for (const std::string_view option : kSecretOptions) {
    if (argument == option) return true;
  }
  return false;
}

// "--key=VALUE": the option's length, or 0.
std::size_t SecretOptionWithValue(std::string_view argument) {
  for (const std::string_view option : kSecretOptions) {
    if (argument.size() > option.size() && argument.substr(0, option.size()) == option &&
        argument[option.size()] == '=') {
      return option.size();
    }
  }
  return 0;
}

}  // namespace

SecretArguments::SecretArguments(int argc, char** argv) {
  m_Arguments.reserve(argc > 1 ? static_cast<std::size_t>(argc - 1) : 0);
  // Each value is taken and wiped in argv where it stands.
  const auto take = [this](std::string_view option, char* value) {
    const std::size_t length = std::strlen(value);
    m_Values.push_back({std::string(option), SecretText(std::string_view(value, length))});
    SecureWipe(value, length);
  };
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument(argv[i]);
    if (optionsEnded) {
      m_Arguments.emplace_back(argument);
      continue;
    }
    if (argument == "--") optionsEnded = true;
    const std::size_t withValue = SecretOptionWithValue(argument);
    const bool emptyAfterEquals =
        withValue != 0 && argument.size() == withValue + 1;  // "--key=": the next one is the value
    if (withValue != 0 && !emptyAfterEquals) {
      m_Arguments.push_back(std::string(argument.substr(0, withValue + 1)) +
                            std::string(kHiddenValue));
      take(argument.substr(0, withValue), argv[i] + withValue + 1);
      continue;
    }
    m_Arguments.emplace_back(argument);
    if ((IsSecretOption(argument) || emptyAfterEquals) && i + 1 < argc) {
      ++i;
      m_Arguments.emplace_back(kHiddenValue);
      take(emptyAfterEquals ? argument.substr(0, withValue) : argument, argv[i]);
    }
  }
}

const SecretText* SecretArguments::Value(std::string_view option) const {
  for (auto entry = m_Values.rbegin(); entry != m_Values.rend(); ++entry) {
    if (entry->option == option) return &entry->value;
  }
  return nullptr;
}

}  // namespace hostseal::cli
