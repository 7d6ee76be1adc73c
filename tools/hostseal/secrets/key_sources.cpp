#include "tools/hostseal/secrets/key_sources.hpp"

#include <array>
#include <string>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/visible_text.hpp"
#include "tools/hostseal/exit_status.hpp"
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

SecretText ReadFirstLine(const std::string& path, const SecretSource& source) {
  const std::string_view what = source.what;
  SecretFile file(path, what, source.trustAnyOwner);
  // Told before anything is read: a key taken from IN would take the data's first bytes.
  const std::optional<FileIdentity> identity = file.Identity();
  const bool isInput = identity && identity == source.dataInput;
  if (isInput || (identity && identity == source.dataOutput)) {
    const std::string named =
        std::string(source.option) + " " + (path == "-" ? path : '"' + VisibleText(path) + '"');
    std::string_view reason = ": it is the file OUT, which the command replaces";
    if (isInput) {
      reason = source.dataOnStandardInput ? ": standard input already holds the file IN"
                                          : ": it is the file IN";
    }
    throw UsageError(named + std::string(reason) + "; give the key another way");
  }

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
