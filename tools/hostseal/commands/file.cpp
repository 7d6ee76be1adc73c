#include "tools/hostseal/commands/file.hpp"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"
#include "hostseal/fs/descriptor_stream.hpp"
#include "hostseal/fs/file_name.hpp"
#include "hostseal/fs/file_streams.hpp"
#include "tools/hostseal/exit_status.hpp"
#include "tools/hostseal/secrets/key_options.hpp"
#include "tools/hostseal/streams/progress_bar.hpp"
#include "tools/hostseal/streams/standard_streams.hpp"

namespace hostseal::cli {

namespace {

enum class Direction { kEncrypt, kDecrypt };

// The size through the file layer, which takes names of any length (std::filesystem on Windows
// does not); a file that cannot be opened shows no bar, and the command says why.
bool ShowsProgress(const std::filesystem::path& input) {
  if (!IsTerminal(StandardStream::kError)) return false;
  try {
    return InputFile(input).Size() > kProgressThreshold;
  } catch (const RaisedError&) {
    return false;
  }
}

// Removes the sink's hook when the bar it points to goes away.
class BeforeShowHook {
 public:
  BeforeShowHook(CommandMessageSink& sink, ProgressBar& bar) : m_Sink(sink) {
    m_Sink.SetBeforeShow([&bar] { bar.BreakLine(); });
  }
  ~BeforeShowHook() { m_Sink.SetBeforeShow({}); }
  BeforeShowHook(const BeforeShowHook&) = delete;
  BeforeShowHook& operator=(const BeforeShowHook&) = delete;

 private:
  CommandMessageSink& m_Sink;
};

constexpr char kStandardStream[] = "-";

// Cipher bytes are no text: they are neither shown on a terminal nor typed at one.
void RefuseTerminals(Direction direction, const std::string& input, const std::string& output) {
  if (direction == Direction::kEncrypt && output == kStandardStream &&
      IsTerminal(StandardStream::kOutput)) {
    throw UsageError("refusing to write cipher bytes to a terminal; redirect standard output");
  }
  if (direction == Direction::kDecrypt && input == kStandardStream &&
      IsTerminal(StandardStream::kInput)) {
    throw UsageError("refusing to read cipher bytes from a terminal; redirect standard input");
  }
}

// Either end is standard input or output: the framing runs as a stream, in bounded memory.
// An output file is put in place as the file commands do: only when complete, and after a
// wrong key only where no file was before.
int RunStreamCommand(Direction direction, const std::string& input, const std::string& output,
                     const cRijndael& cipher) {
  std::optional<InputFile> inputFile;
  std::optional<FileSource> fileSource;
  DescriptorSource standardInput(0, "standard input");
  ByteSource* source = &standardInput;
  if (input != kStandardStream) {
    inputFile.emplace(input);
    source = &fileSource.emplace(*inputFile);
  }
  std::optional<ReplacingFile> outputFile;
  std::optional<FileSink> fileSink;
  DescriptorSink standardOutput(1, "standard output");
  ByteSink* destination = &standardOutput;
  if (output != kStandardStream) {
    // Standard input has no permission bits to pass on: a new file is made as a shell
    // redirection makes it, narrowed by the umask.
    const auto permissions =
        inputFile ? inputFile->Permissions()
                  : std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                        std::filesystem::perms::group_read | std::filesystem::perms::group_write |
                        std::filesystem::perms::others_read | std::filesystem::perms::others_write;
    outputFile.emplace(output, permissions);
    destination = &fileSink.emplace(*outputFile);
  }

  const std::int32_t status = direction == Direction::kEncrypt
                                  ? cipher.StreamEncrypt(*source, *destination, {})
                                  : cipher.StreamDecrypt(*destination, *source, {});
  if (inputFile) inputFile->RequireUnchanged();
  if (outputFile && (status == 0 || (status == 2 && !outputFile->TargetExisted()))) {
    outputFile->Commit();
  }
  return status == 0 ? kExitSuccess : kExitFailure;
}

int RunFileCommand(Direction direction, const std::string& inputName, const std::string& outputName,
                   const KeyChoice& key, CommandMessageSink& sink) {
  RefuseTerminals(direction, inputName, outputName);
  cRijndael cipher(sink);
  ApplyKey(cipher, key);
  if (inputName == kStandardStream || outputName == kStandardStream) {
    return RunStreamCommand(direction, inputName, outputName, cipher);
  }
  const std::filesystem::path input = PathFromUtf8(inputName);
  const std::filesystem::path output = PathFromUtf8(outputName);

  std::optional<ProgressBar> bar;
  std::optional<BeforeShowHook> hook;
  if (ShowsProgress(input)) {
    bar.emplace(direction == Direction::kEncrypt ? "encrypting" : "decrypting");
    hook.emplace(sink, *bar);
  }
  const cRijndael::FileProgress progress = [&bar](std::uint64_t done, std::uint64_t total) {
    if (bar) bar->Update(done, total);
  };

  const std::int32_t status = direction == Direction::kEncrypt
                                  ? cipher.FileEncrypt(input, output, progress)
                                  : cipher.FileDecrypt(output, input, progress);
  if (status != 0) return kExitFailure;
  if (bar) bar->Complete();
  return kExitSuccess;
}

// Takes every byte and keeps none.
class DiscardingSink final : public ByteSink {
 public:
  void Write(const Byte*, std::size_t) override {}
};

int RunCheckKey(const std::string& cipherFile, const KeyChoice& key, CommandMessageSink& sink) {
  RefuseTerminals(Direction::kDecrypt, cipherFile, {});
  cRijndael cipher(sink);
  ApplyKey(cipher, key);
  std::optional<InputFile> inputFile;
  std::optional<FileSource> fileSource;
  DescriptorSource standardInput(0, "standard input");
  ByteSource* source = &standardInput;
  if (cipherFile != kStandardStream) {
    inputFile.emplace(PathFromUtf8(cipherFile));
    source = &fileSource.emplace(*inputFile);
  }
  DiscardingSink nothing;
  const std::int32_t status = cipher.StreamDecrypt(nothing, *source, {});
  if (inputFile) inputFile->RequireUnchanged();
  if (status != 0) return kExitFailure;
  WriteUtf8("the key fits\n");
  return kExitSuccess;
}

int RunEncryptFile(const std::string& plainFile, const std::string& cipherFile,
                   const KeyChoice& key, CommandMessageSink& sink) {
  return RunFileCommand(Direction::kEncrypt, plainFile, cipherFile, key, sink);
}

int RunDecryptFile(const std::string& cipherFile, const std::string& plainFile,
                   const KeyChoice& key, CommandMessageSink& sink) {
  return RunFileCommand(Direction::kDecrypt, cipherFile, plainFile, key, sink);
}

// The key options' footer of the file commands: the sources and their order.
constexpr char kKeyFooter[] =
    "\n\nThe key: one of --key-file, --passphrase-file, --ask-passphrase, --key, --passphrase;\n"
    "without any, HOSTSEAL_KEY (hex digits) or HOSTSEAL_PASSPHRASE (not both); without those,\n"
    "the built-in pass phrase at 128 bits. A file's first line is read; - is standard input.\n"
    "A key file that is IN or OUT by any name is refused; on Linux so is one that another\n"
    "user owns or may write, or one in such a folder (--trust-key-file: used with a warning).\n"
    "Values of --key and --passphrase can be read by every user of the machine.";

struct FileOptions {
  std::string inputFile;
  std::string outputFile;  // empty for decrypt-file --check
  bool check = false;      // decrypt-file --check: whether the key fits, nothing written
  KeyOptions key;
};

std::shared_ptr<FileOptions> AddFileOptions(CLI::App& command, const std::string& inputHelp,
                                            const std::string& outputHelp) {
  auto options = std::make_shared<FileOptions>();
  command.footer(command.get_footer() + kKeyFooter);
  command.add_option("IN", options->inputFile, inputHelp)->required();
  command.add_option("OUT", options->outputFile, outputHelp)->required();
  AddKeyOptions(command, options->key);
  return options;
}

CommandRun DefineEncryptFile(CLI::App& command) {
  std::shared_ptr<FileOptions> options =
      AddFileOptions(command, "The plain file to read; - for standard input",
                     "The cipher file to write; - for standard output (not a terminal)");
  return [options](const CommandContext& context) {
    const FileOptions& o = *options;
    return RunEncryptFile(
        o.inputFile, o.outputFile,
        ChooseKey(o.key, context.secrets, context.variables, true, o.inputFile, o.outputFile),
        context.sink);
  };
}

CommandRun DefineDecryptFile(CLI::App& command) {
  std::shared_ptr<FileOptions> options =
      AddFileOptions(command, "The cipher file to read; - for standard input (not a terminal)",
                     "The plain file to write; - for standard output");
  command.get_option("OUT")->required(false);
  command.add_flag("--check", options->check,
                   "Read all of IN and tell whether the key fits (exit status 0) or not "
                   "(1), writing no file; give no OUT");
  return [options](const CommandContext& context) {
    const FileOptions& o = *options;
    if (o.check) {
      if (!o.outputFile.empty()) throw UsageError("--check writes no file: give IN only");
      return RunCheckKey(
          o.inputFile, ChooseKey(o.key, context.secrets, context.variables, false, o.inputFile, {}),
          context.sink);
    }
    if (o.outputFile.empty()) throw UsageError("OUT is required (or --check, to test the key)");
    return RunDecryptFile(
        o.inputFile, o.outputFile,
        ChooseKey(o.key, context.secrets, context.variables, false, o.inputFile, o.outputFile),
        context.sink);
  };
}

}  // namespace

const Command kEncryptFileCommand = {
    "encrypt-file",
    "Encrypt the file IN into the cipher file OUT (by default under the built-in pass phrase at "
    "128 bits)",
    "hostseal encrypt-file --passphrase-file phrase.txt --bits 256 notes.txt notes.aes\n"
    "  HOSTSEAL_KEY=$(cat notes.key) hostseal encrypt-file notes.txt notes.aes\n"
    "  tar c photos | hostseal encrypt-file --key-file photos.key - photos.tar.aes",
    true,
    false,
    DefineEncryptFile};

const Command kDecryptFileCommand = {
    "decrypt-file",
    "Decrypt the cipher file IN into the plain file OUT, under the key that encrypted it",
    "hostseal decrypt-file --ask-passphrase --bits 256 notes.aes notes.txt\n"
    "  pass show notes | hostseal decrypt-file --passphrase-file - notes.aes notes.txt\n"
    "  hostseal decrypt-file --check --key-file notes.key notes.aes",
    true,
    false,
    DefineDecryptFile};

}  // namespace hostseal::cli
