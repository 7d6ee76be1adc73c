// SecretArguments: the values of --key and --passphrase taken out of the command line before
// it is parsed.
//
// The parser sees "(hidden)" in place of each value, so that no parse error, usage message or
// parser copy ever holds a key or a pass phrase, and the values themselves are wiped in argv,
// so that /proc/PID/cmdline stops showing them once the tool has started (before that, any
// user of the machine can read them: the key files, the environment and the prompt are the
// safe sources). A value is found as the parser finds it: the argument after "--key" or
// "--passphrase", whatever it looks like, or the text after "--key=" and "--passphrase="; "--"
// ends the options and what follows it is left alone.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/hostseal/secrets/secret_text.hpp"

namespace hostseal::cli {

inline constexpr std::string_view kHiddenValue = "(hidden)";

class SecretArguments {
 public:
  // Takes the values out of argv[1] .. argv[argc - 1] and wipes them there.
  SecretArguments(int argc, char** argv);

  // The arguments for the parser, argv[0] left out, values replaced by "(hidden)".
  const std::vector<std::string>& ParserArguments() const { return m_Arguments; }

  // The last value given for the option ("--key" or "--passphrase"); nullptr if none.
  const SecretText* Value(std::string_view option) const;

  // True when at least one value was taken (and so wiped in argv).
  bool TookAny() const { return !m_Values.empty(); }

 private:
  struct Entry {
    std::string option;
    SecretText value;
  };
  std::vector<std::string> m_Arguments;
  std::vector<Entry> m_Values;
};

}  // namespace hostseal::cli
