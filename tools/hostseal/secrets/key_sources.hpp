// Where a key or a pass phrase comes from besides the command line: the first line of a file
// or of standard input, and the environment variables HOSTSEAL_KEY and HOSTSEAL_PASSPHRASE.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tools/hostseal/secrets/file_identity.hpp"
#include "tools/hostseal/secrets/secret_text.hpp"

namespace hostseal::cli {

// The longest first line taken from a key or pass-phrase file: a key has 64 hex digits and a
// pass phrase makes at most 32 bytes of key, so a longer line is some other file.
inline constexpr std::size_t kMaxSecretLine = 4096;

// Where a key or pass-phrase file is read for a command, and what it may not be.
struct SecretSource {
  std::string_view option;  // "--key-file": names the source when it is refused
  std::string_view what;    // "key file", "pass-phrase file": names the file in messages
  // The files the command reads (IN) and replaces (OUT), if any: the source may be neither.
  std::optional<FileIdentity> dataInput;
  bool dataOnStandardInput = false;  // IN is "-"
  std::optional<FileIdentity> dataOutput;
  bool trustAnyOwner = false;  // --trust-key-file
};

// The first line of the file at path ("-": standard input), without its "\n" or "\r\n". Reads
// no further than the first line ends (so a FIFO or a pipe works), and warns on standard error
// when a regular file can be read by other users. Raises a UsageError, before anything is read,
// when the file is the data input by any name (the same open file: "/dev/stdin" when IN is
// "-", or IN itself), or OUT, which the command would replace and the key with it; a RaisedError,
// exit status 3, when the file cannot be opened or read (the number says why: 53 not found, 70
// permission denied, also for the owner rule of secret_file.hpp, ...), is empty, or its first line
// is empty or longer than kMaxSecretLine.
SecretText ReadFirstLine(const std::string& path, const SecretSource& source);

// The value of an environment variable that holds a secret, or nothing when it is unset: the
// first entry of the name, the one getenv finds. Every entry of the name (an environment can
// hold one several times) is wiped where it stands and removed, so that the process keeps no
// copy of any of them there (on Linux, /proc/PID/environ shows the initial environment, which
// the entries point into).
std::optional<SecretText> TakeSecretVariable(const char* name);

// HOSTSEAL_KEY and HOSTSEAL_PASSPHRASE, taken as the tool starts, whatever the command, so
// that no run leaves them in its environment.
struct SecretVariables {
  std::optional<SecretText> key;
  std::optional<SecretText> passPhrase;
};
SecretVariables TakeSecretVariables();

}  // namespace hostseal::cli
