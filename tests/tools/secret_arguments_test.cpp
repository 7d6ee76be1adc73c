// SecretArguments in process: which arguments it takes as values of --key and --passphrase
// (the ones the parser would take), what the parser gets instead, and that argv no longer
// holds them.
#include "tools/hostseal/secrets/secret_arguments.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace hostseal::cli {
namespace {

struct Expected {
  std::vector<std::string> parser;  // what the parser sees
  std::string key, passPhrase;      // the values taken; "-" for none
};

void Check(const std::vector<std::string>& arguments, const Expected& expected) {
  SCOPED_TRACE(::testing::PrintToString(arguments));
  std::vector<std::vector<char>> storage;
  std::vector<char*> argv;
  storage.reserve(arguments.size() + 1);
  argv.reserve(arguments.size() + 2);
  storage.emplace_back(std::vector<char>{'h', 's', '\0'});
  for (const std::string& a : arguments) storage.emplace_back(a.begin(), a.end() + 1);
  for (auto& s : storage) argv.push_back(s.data());
  argv.push_back(nullptr);

  const SecretArguments secrets(static_cast<int>(argv.size() - 1), argv.data());
  EXPECT_EQ(secrets.ParserArguments(), expected.parser);
  const SecretText* key = secrets.Value("--key");
  const SecretText* passPhrase = secrets.Value("--passphrase");
  EXPECT_EQ(key != nullptr ? std::string(key->View()) : "-", expected.key);
  EXPECT_EQ(passPhrase != nullptr ? std::string(passPhrase->View()) : "-", expected.passPhrase);
  // argv keeps everything but the values, whose bytes are now zero.
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& given = arguments[i];
    const std::string& seen = expected.parser[i];
    const std::size_t hidden = seen.find("(hidden)");
    const std::string kept = hidden == std::string::npos ? given : given.substr(0, hidden);
    EXPECT_EQ(std::string(argv[i + 1], kept.size()), kept);
    EXPECT_EQ(std::string(argv[i + 1] + kept.size(), given.size() - kept.size()),
              std::string(given.size() - kept.size(), '\0'));
  }
}

TEST(SecretArguments, TakesWhatTheParserWouldTakeAsTheValue) {
  Check({"encrypt-file", "a", "b", "--key", "00ff"},
        {{"encrypt-file", "a", "b", "--key", "(hidden)"}, "00ff", "-"});
  Check({"--passphrase=p w", "--key=k"}, {{"--passphrase=(hidden)", "--key=(hidden)"}, "k", "p w"});
  // The next argument is the value whatever it looks like, and is not an option itself.
  Check({"--passphrase", "--key", "x"}, {{"--passphrase", "(hidden)", "x"}, "-", "--key"});
  Check({"--passphrase", "-", "--key", ""},
        {{"--passphrase", "(hidden)", "--key", "(hidden)"}, "", "-"});
  // "--key=" takes the next argument, as the parser does.
  Check({"--key=", "k2"}, {{"--key=", "(hidden)"}, "k2", "-"});
  // The last of two values counts; a lone option at the end has none.
  Check({"--key", "one", "--key", "two", "--passphrase"},
        {{"--key", "(hidden)", "--key", "(hidden)", "--passphrase"}, "two", "-"});
  // After "--" nothing is an option; "--" as a value does not end the options.
  Check({"--", "--key", "k"}, {{"--", "--key", "k"}, "-", "-"});
  Check({"--passphrase", "--", "--key", "k"},
        {{"--passphrase", "(hidden)", "--key", "(hidden)"}, "k", "--"});
  // Names that merely start like the options are left alone.
  Check({"--keys", "k", "--key-file", "f", "--passphrase-file", "g"},
        {{"--keys", "k", "--key-file", "f", "--passphrase-file", "g"}, "-", "-"});
}

}  // namespace
}  // namespace hostseal::cli
