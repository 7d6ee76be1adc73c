// The key options of the file commands, and the key they choose.
//
// Exactly one source may name the key: --key HEX, --key-file FILE, --passphrase TEXT,
// --passphrase-file FILE or --ask-passphrase (two of them are a usage error). When no option
// names one, the environment may: HOSTSEAL_KEY (hex digits) or HOSTSEAL_PASSPHRASE, not both.
// Without any of them, the built-in pass phrase at 128 bits keys the file. --bits goes with a
// pass phrase from any source. A FILE is read up to the end of its first line ("-": standard
// input); it is refused when it is IN by any name, or when it, or a folder on its path, belongs
// to another user than the caller or root or may be written by others, unless --trust-key-file
// accepts it with a warning (Linux). --key and --passphrase still work, but their values can be
// read by every user of the machine while the tool starts, so the help steers to the other sources.
#pragma once

#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "hostseal/operations/key_choice.hpp"
#include "tools/hostseal/secrets/key_sources.hpp"
#include "tools/hostseal/secrets/secret_arguments.hpp"

namespace hostseal::cli {

struct KeyOptions {
  bool hexKey = false;      // --key; its value is in SecretArguments
  bool passPhrase = false;  // --passphrase; likewise
  std::optional<std::string> keyFile;
  std::optional<std::string> passPhraseFile;
  bool askPassPhrase = false;
  bool trustKeyFile = false;  // --trust-key-file
  std::optional<int> bits;
};

// Adds the key options to a file command.
void AddKeyOptions(CLI::App& command, KeyOptions& options);

// The key the options, or else the environment's variables (taken at the start), choose:
// reads a file, standard input or the terminal. encrypting: a prompt asks twice.
// inputFile: the file the command reads ("-": standard input), outputFile the one it replaces
// (empty: none); a key or pass-phrase file that is either, by any name, is a usage error, found
// before anything is read.
// Raises a UsageError for conflicting sources or --bits without a pass phrase, a RaisedError
// when a file cannot be used or a key file or HOSTSEAL_KEY holds no key (named, with the rule
// a key follows and nothing of what it holds). Shows a note on standard error when a pass phrase is
// empty or longer than the key.
KeyChoice ChooseKey(const KeyOptions& options, const SecretArguments& secrets,
                    const SecretVariables& variables, bool encrypting, const std::string& inputFile,
                    const std::string& outputFile);

}  // namespace hostseal::cli
