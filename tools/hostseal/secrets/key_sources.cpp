#include "tools/hostseal/secrets/key_sources.hpp"

#include <array>
#include <string>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/visible_text.hpp"
#include "tools/hostseal/secrets/secret_file.hpp"

namespace hostseal::cli {

std::string NamedSecretFile(std::string_view what, const std::string& path) {
  if (path == "-") return std::string(what) + " on standard input";
  return std::string(what) + " \"" + VisibleText(path) + "\"";
}

SecretVariables TakeSecretVariables() {
  SecretVariables variables;
  variables.key = TakeSecretVariable("HOSTSEAL_KEY");
  variables.passPhrase = TakeSecretVariable("HOSTSEAL_PASSPHRASE");
  return variables;
}

SecretText ReadFirstLine(const std::string& path, std::string_view what) {
  SecretFile file(path, what);

  SecretText line;
  line.Reserve(kMaxSecretLine + 1);  // and the "\r" of a "\r\n"
  std::array<char, 512> buffer{};
  const WipeOnExit bufferWipe(buffer.data(), buffer.size());
  bool anything = false;
  for (;;) {
    const std::size_t n = file.Read(buffer.data(), buffer.size());
    if (n == 0) break;
    anything = true;
    const std::string_view chunk(buffer.data(), n);
    const std::size_t end = chunk.find('\n');
    if (!line.Append(chunk.substr(0, end))) {
      throw RaisedError(ErrorNumber::kCipher, "The first line of the " +
                                                  NamedSecretFile(what, path) + " is longer than " +
                                                  std::to_string(kMaxSecretLine) + " bytes");
    }
    if (end != std::string_view::npos) break;
  }
  if (!line.Empty() && line.View().back() == '\r') line.PopBack();
  if (!anything)
    throw RaisedError(ErrorNumber::kCipher, "The " + NamedSecretFile(what, path) + " is empty");
  if (line.Empty()) {
    throw RaisedError(ErrorNumber::kCipher,
                      "The first line of the " + NamedSecretFile(what, path) + " is empty");
  }
  if (line.Size() > kMaxSecretLine) {
    throw RaisedError(ErrorNumber::kCipher, "The first line of the " + NamedSecretFile(what, path) +
                                                " is longer than " +
                                                std::to_string(kMaxSecretLine) + " bytes");
  }
  return line;
}

}  // namespace hostseal::cli
