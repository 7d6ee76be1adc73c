#include "tools/hostseal/commands/file.hpp"

#include <cstdio>
#include <filesystem>
#include <optional>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"
#include "hostseal/fs/descriptor_stream.hpp"
#include "hostseal/fs/file_name.hpp"
#include "hostseal/fs/file_streams.hpp"
#include "tools/hostseal/exit_status.hpp"
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

}  // namespace

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

}  // namespace hostseal::cli
