#include "tools/hostseal/command_line.hpp"

#include <stdexcept>
#include <string>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/common/visible_text.hpp"
#include "hostseal/hostinfo/ipv4_text.hpp"
#include "hostseal/text/code_page_table.hpp"

namespace hostseal::cli {

namespace {

constexpr char kToolFooter[] =
    "Text on the command line, standard input and standard output is UTF-8.\n"
    "Exit status: 0 success, 1 the operation reported a failure, 2 usage error,\n"
    "3 error (its description on standard error).\n"
    "\n"
    "Keys and pass phrases: every user of the machine can read the command line, so give\n"
    "them with --key-file, --passphrase-file, --ask-passphrase or the environment variables\n"
    "HOSTSEAL_KEY and HOSTSEAL_PASSPHRASE rather than --key and --passphrase.\n"
    "Environment: HOSTSEAL_CODEPAGE (as --codepage), HOSTSEAL_CPU (the AES path: portable,\n"
    "aes-ni or vaes; by default the best this processor has).\n"
    "\n"
    "Examples:\n"
    "  hostseal encrypt 'hello world'\n"
    "  hostseal --codepage 936 ansi 中文\n"
    "  hostseal keygen notes.key\n"
    "  hostseal encrypt-file --key-file notes.key notes.txt notes.aes\n"
    "  hostseal encrypt-file --ask-passphrase --bits 256 notes.txt notes.aes";

// The key options' footer of the file commands: the sources and their order.
constexpr char kKeyFooter[] =
    "\n\nThe key: one of --key-file, --passphrase-file, --ask-passphrase, --key, --passphrase;\n"
    "without any, HOSTSEAL_KEY (hex digits) or HOSTSEAL_PASSPHRASE (not both); without those,\n"
    "the built-in pass phrase at 128 bits. A file's first line is read; - is standard input.\n"
    "A key file that is IN or OUT by any name is refused; on Linux so is one that another\n"
    "user owns or may write, or one in such a folder (--trust-key-file: used with a warning).\n"
    "Values of --key and --passphrase can be read by every user of the machine.";

// The mac command's address, read as the host queries read address texts.
CLI::Validator DottedDecimalIPv4() {
  return CLI::Validator(
      [](std::string& text) {
        return ParseIpv4Text(FromUtf8(text))
                   ? std::string()
                   : "\"" + VisibleText(text) +
                         "\" is not a dotted-decimal IPv4 address such as 192.168.1.20";
      },
      "IPV4");
}

// A code page as the option takes it: decimal digits, nothing else.
bool ParseCodePage(const CLI::results_t& values, std::optional<int>& codePage) {
  const std::string& text = values.front();
  if (text.empty()) {
    throw CLI::ValidationError("--codepage",
                               "the value is empty; give a code-page number such as 936, 1252 "
                               "or 65001");
  }
  if (text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) {
    throw CLI::ValidationError("--codepage", "\"" + VisibleText(text) +
                                                 "\" is not a code-page number; give decimal "
                                                 "digits such as 936, 1252 or 65001");
  }
  codePage = std::stoi(text);
  return true;
}

std::string NameOf(CommandId id) {
  for (const CommandName& command : kCommandNames) {
    if (command.id == id) return std::string(command.name);
  }
  throw std::logic_error("a command without a name");
}

CLI::App* AddCommand(CLI::App& app, CommandLine& line, CommandId id, const std::string& description,
                     const std::string& example) {
  CLI::App* command = app.add_subcommand(NameOf(id), description);
  command->footer("Example:\n  " + example);
  line.commands.emplace_back(command, id);
  return command;
}

// An optional TEXT argument; without it the command reads all of standard input.
void AddTextArgument(CLI::App& command, CommandLine& line, const std::string& name,
                     const std::string& description) {
  command
      .add_option_function<std::string>(
          name, [&line](const std::string& value) { line.text = value; },
          description + "; without it, all of standard input less one trailing line feed")
      ->type_name("");
}

CLI::App* AddFileCommand(CLI::App& app, CommandLine& line, CommandId id,
                         const std::string& description, const std::string& inputHelp,
                         const std::string& outputHelp, const std::string& example) {
  CLI::App* command = AddCommand(app, line, id, description, example);
  command->footer(command->get_footer() + kKeyFooter);
  command->add_option("IN", line.inputFile, inputHelp)->required();
  command->add_option("OUT", line.outputFile, outputHelp)->required();
  AddKeyOptions(*command, line.key);
  return command;
}

}  // namespace

CommandId CommandLine::Parsed() const {
  for (const auto& [command, id] : commands) {
    if (command->parsed()) return id;
  }
  throw std::logic_error("no command was parsed");
}

void DefineCommandLine(CLI::App& app, CommandLine& line) {
  app.description("AES encryption of text and files, host identity queries and text bytes.");
  app.footer(kToolFooter);
  // CLI11 takes "/word" for an option on Windows; here it is an operand on every system, so
  // that "encrypt /abc" and a path such as "/tmp/x" read as they do on Linux. The subcommands
  // copy this setting when they are added below.
  app.allow_windows_style_options(false);
  app.require_subcommand(1);
  app.fallthrough();
  app.set_version_flag("--version",
                       std::string("hostseal ") + HOSTSEAL_VERSION +
                           " (AES: " + std::string(cRijndael::Provider()) + ")",
                       "Show the version and exit");
  // HOSTSEAL_CODEPAGE is read after parsing, so that its errors name the variable.
  app.add_option(
         "--codepage",
         [&line](const CLI::results_t& values) { return ParseCodePage(values, line.codePage); },
         "The ANSI code page as decimal digits: " + KnownCodePages() +
             " (on Windows every code page the system has); default: "
             "HOSTSEAL_CODEPAGE, else the system's code page (on Linux the locale's character "
             "set)")
      ->type_name("N")
      ->type_size(1)
      ->expected(1);

  CLI::App* encrypt = AddCommand(app, line, CommandId::kEncrypt,
                                 "Encrypt text under the built-in pass phrase; prints hex text",
                                 "hostseal encrypt 'hello world'\n"
                                 "  hostseal encrypt -- '-a text that begins with a dash'");
  AddTextArgument(*encrypt, line, "TEXT", "The text (after -- when it begins with -)");

  CLI::App* decrypt = AddCommand(app, line, CommandId::kDecrypt,
                                 "Decrypt hex text made by encrypt; prints the text",
                                 "hostseal encrypt secret | hostseal decrypt");
  AddTextArgument(*decrypt, line, "HEX",
                  "The hex text (after -- when it begins with -); characters other than hex "
                  "digits are skipped");

  AddFileCommand(app, line, CommandId::kEncryptFile,
                 "Encrypt the file IN into the cipher file OUT (by default under the built-in "
                 "pass phrase at 128 bits)",
                 "The plain file to read; - for standard input",
                 "The cipher file to write; - for standard output (not a terminal)",
                 "hostseal encrypt-file --passphrase-file phrase.txt --bits 256 notes.txt "
                 "notes.aes\n"
                 "  HOSTSEAL_KEY=$(cat notes.key) hostseal encrypt-file notes.txt notes.aes\n"
                 "  tar c photos | hostseal encrypt-file --key-file photos.key - photos.tar.aes");
  CLI::App* decryptFile =
      AddFileCommand(app, line, CommandId::kDecryptFile,
                     "Decrypt the cipher file IN into the plain file OUT, under the key that "
                     "encrypted it",
                     "The cipher file to read; - for standard input (not a terminal)",
                     "The plain file to write; - for standard output",
                     "hostseal decrypt-file --ask-passphrase --bits 256 notes.aes notes.txt\n"
                     "  pass show notes | hostseal decrypt-file --passphrase-file - notes.aes "
                     "notes.txt\n"
                     "  hostseal decrypt-file --check --key-file notes.key notes.aes");
  decryptFile->get_option("OUT")->required(false);
  decryptFile->add_flag("--check", line.check,
                        "Read all of IN and tell whether the key fits (exit status 0) or not "
                        "(1), writing no file; give no OUT");

  CLI::App* keygen =
      AddCommand(app, line, CommandId::kKeygen,
                 "Make a new key from the system's random source: hex digits and a line feed "
                 "in the new file FILE, readable by you only (mode 0600)",
                 "hostseal keygen notes.key\n"
                 "  hostseal encrypt-file --key-file notes.key notes.txt notes.aes");
  keygen->add_option("--bits", line.keyBits, "The key's length: 128 (the default), 192 or 256")
      ->type_name("N")
      ->check(CLI::IsMember({128, 192, 256}));
  keygen
      ->add_option("FILE", line.outputFile,
                   "The new key file (an existing file is never replaced); - for standard "
                   "output")
      ->required();

  CLI::App* hostIp =
      AddCommand(app, line, CommandId::kHostIp, "Print the first IPv4 address of a host name",
                 "hostseal host-ip localhost");
  hostIp->add_option("NAME", line.name, "The host name")->required();

  CLI::App* mac = AddCommand(app, line, CommandId::kMac,
                             "Print the MAC address behind an IPv4 address of the local network",
                             "hostseal mac 192.168.1.1");
  mac->add_option("IP", line.name, "A dotted-decimal IPv4 address")
      ->required()
      ->check(DottedDecimalIPv4());

  AddCommand(app, line, CommandId::kCpu, "Print the processor identifiers", "hostseal cpu");

  CLI::App* utf8 =
      AddCommand(app, line, CommandId::kUtf8,
                 "Print the UTF-8 bytes of a text, byte-order mark first, as hex pairs",
                 "hostseal utf8 abc   (prints EF BB BF 61 62 63)");
  AddTextArgument(*utf8, line, "TEXT", "The text");

  CLI::App* ansi = AddCommand(app, line, CommandId::kAnsi,
                              "Print the bytes of a text in the ANSI code page as hex pairs",
                              "hostseal --codepage 936 ansi 中   (prints D6 D0)");
  AddTextArgument(*ansi, line, "TEXT", "The text");

  CLI::App* identity =
      AddCommand(app, line, CommandId::kIdentity,
                 "Report this host's identity as coloured status lines, and its encrypted form",
                 "hostseal identity --json");
  identity->add_flag("--json", line.json,
                     "Print one JSON object instead: for each item \"ok\" and its \"value\" or "
                     "the \"error\" that says why it is missing, and \"complete\"");
}

}  // namespace hostseal::cli
