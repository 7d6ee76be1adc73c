#include "tools/hostseal/secrets/key_options.hpp"

#include <array>
#include <utility>
#include <vector>

#include "hostseal/common/raised_error.hpp"
#include "tools/hostseal/exit_status.hpp"
#include "tools/hostseal/secrets/key_sources.hpp"
#include "tools/hostseal/secrets/pass_phrase_prompt.hpp"
#include "tools/hostseal/secrets/secret_file.hpp"
#include "tools/hostseal/streams/standard_streams.hpp"

namespace hostseal::cli {

namespace {

constexpr char kKeyVariable[] = "HOSTSEAL_KEY";
constexpr char kPassPhraseVariable[] = "HOSTSEAL_PASSPHRASE";

KeyChoice Choice(KeyChoice::Kind kind, const SecretText& text, int bits) {
  KeyChoice choice;
  choice.kind = kind;
  AssignDecoded(choice.text, text.View());
  choice.bits = bits;
  return choice;
}

constexpr char kKeyFile[] = "key file";

// A key file or HOSTSEAL_KEY that holds no key is named in the message, which says what a key
// must be and nothing of what was found.
void RequireHexKey(const KeyChoice& choice, const std::string& source) {
  if (!IsHexKey(choice.text)) {
    throw RaisedError(ErrorNumber::kCipher, source + " is not a key: " + kHexKeyRule);
  }
}

const SecretText& SecretValue(const SecretArguments& secrets, std::string_view option) {
  const SecretText* value = secrets.Value(option);
  if (value == nullptr) throw std::logic_error("no value was taken for the option");
  return *value;
}

}  // namespace

void AddKeyOptions(CLI::App& command, KeyOptions& options) {
  std::vector<CLI::Option*> sources;
  sources.push_back(
      command
          .add_option_function<std::string>(
              "--key-file", [&options](const std::string& path) { options.keyFile = path; },
              "Read the key, 32, 48 or 64 hexadecimal digits, from the first line of FILE; "
              "- reads standard input. FILE, and every folder on its path, must be yours or "
              "root's and not writable by others (see --trust-key-file), and neither IN nor OUT")
          ->type_name("FILE"));
  sources.push_back(command
                        .add_option_function<std::string>(
                            "--passphrase-file",
                            [&options](const std::string& path) { options.passPhraseFile = path; },
                            "Read the pass phrase from the first line of FILE; - reads standard "
                            "input. FILE is held to the rules of --key-file")
                        ->type_name("FILE"));
  sources.push_back(command
                        .add_flag_function(
                            "--ask-passphrase",
                            [&options](std::int64_t) { options.askPassPhrase = true; },
                            "Ask for the pass phrase on the terminal, without echo (twice when "
                            "encrypting)")
                        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast));
  sources.push_back(command
                        .add_option_function<std::string>(
                            "--key", [&options](const std::string&) { options.hexKey = true; },
                            "The key as hex digits on the command line, where every user of the "
                            "machine can read it: prefer --key-file or HOSTSEAL_KEY")
                        ->type_name("HEX"));
  sources.push_back(command
                        .add_option_function<std::string>(
                            "--passphrase",
                            [&options](const std::string&) { options.passPhrase = true; },
                            "The pass phrase on the command line, where every user of the "
                            "machine can read it: prefer --passphrase-file, --ask-passphrase or "
                            "HOSTSEAL_PASSPHRASE")
                        ->type_name("TEXT"));
  for (CLI::Option* a : sources) {
    for (CLI::Option* b : sources) {
      if (a != b) a->excludes(b);
    }
  }
  command.add_flag("--trust-key-file", options.trustKeyFile,
                   "Use a key or pass-phrase file, or one in a folder, that another user than "
                   "you or root owns or that others may write, with a warning: without this "
                   "option it is refused, as it holds what that user chose (Linux)");
  command
      .add_option_function<int>(
          "--bits", [&options](const int& bits) { options.bits = bits; },
          "Key length for a pass phrase: 128 (default), 192 or 256. The pass phrase's bytes in "
          "the code page, cut or filled up with zero bytes, make the key")
      ->type_name("N")
      ->check(CLI::IsMember({128, 192, 256}))
      ->excludes(sources[0])
      ->excludes(sources[3]);
}

KeyChoice ChooseKey(const KeyOptions& options, const SecretArguments& secrets,
                    const SecretVariables& variables, bool encrypting, const std::string& inputFile,
                    const std::string& outputFile) {
  const bool inputIsStandardInput = inputFile == "-";
  for (const auto& [option, path] : {std::pair{"--key-file", &options.keyFile},
                                     std::pair{"--passphrase-file", &options.passPhraseFile}}) {
    if (inputIsStandardInput && *path == "-") {
      throw UsageError(std::string(option) +
                       " -: standard input already holds the file IN; give the key another way");
    }
  }
  // A file source may not be IN or OUT by another name either: it is found by what it is, once
  // open.
  const auto source = [&](std::string_view option, std::string_view what) {
    return SecretSource{
        option,
        what,
        inputIsStandardInput ? IdentityOfStandardInput() : IdentityOfPath(inputFile),
        inputIsStandardInput,
        outputFile.empty() || outputFile == "-" ? std::nullopt : IdentityOfPath(outputFile),
        options.trustKeyFile};
  };
  if (options.trustKeyFile && !options.keyFile && !options.passPhraseFile) {
    throw UsageError("--trust-key-file goes with --key-file or --passphrase-file");
  }
  const std::optional<SecretText>& keyVariable = variables.key;
  const std::optional<SecretText>& passPhraseVariable = variables.passPhrase;
  const int bits = options.bits.value_or(128);

  KeyChoice choice;
  if (options.hexKey) {
    choice = Choice(KeyChoice::Kind::kHexKey, SecretValue(secrets, "--key"), bits);
  } else if (options.keyFile) {
    choice = Choice(KeyChoice::Kind::kHexKey,
                    ReadFirstLine(*options.keyFile, source("--key-file", kKeyFile)), bits);
    RequireHexKey(choice, "The first line of the " + NamedSecretFile(kKeyFile, *options.keyFile));
  } else if (options.passPhrase) {
    choice = Choice(KeyChoice::Kind::kPassPhrase, SecretValue(secrets, "--passphrase"), bits);
  } else if (options.passPhraseFile) {
    choice = Choice(
        KeyChoice::Kind::kPassPhrase,
        ReadFirstLine(*options.passPhraseFile, source("--passphrase-file", "pass-phrase file")),
        bits);
  } else if (options.askPassPhrase) {
    choice = Choice(KeyChoice::Kind::kPassPhrase, AskPassPhrase(encrypting), bits);
  } else if (keyVariable && passPhraseVariable) {
    throw UsageError(std::string(kKeyVariable) + " and " + kPassPhraseVariable +
                     " are both set; unset one, or name the key with an option");
  } else if (keyVariable) {
    if (options.bits) {
      throw UsageError(std::string("--bits goes with a pass phrase, and ") + kKeyVariable +
                       " holds a key");
    }
    choice = Choice(KeyChoice::Kind::kHexKey, *keyVariable, bits);
    RequireHexKey(choice, kKeyVariable);
  } else if (passPhraseVariable) {
    choice = Choice(KeyChoice::Kind::kPassPhrase, *passPhraseVariable, bits);
  } else if (options.bits) {
    throw UsageError("--bits requires --passphrase");
  }

  for (const std::string& note : KeyChoiceNotes(choice)) WriteDiagnostic("note: " + note);
  return choice;
}

}  // namespace hostseal::cli
