#include "tools/hostseal/file_commands.hpp"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

#include "hostseal/cipher/rijndael.hpp"
#include "tools/hostseal/exit_status.hpp"
#include "tools/hostseal/progress_bar.hpp"

namespace hostseal::cli {

namespace {

enum class Direction { kEncrypt, kDecrypt };

bool ShowsProgress(const std::filesystem::path& input) {
  if (::isatty(STDERR_FILENO) != 1) return false;
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(input, error);
  return !error && size > kProgressThreshold;
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

int RunFileCommand(Direction direction, const std::filesystem::path& input,
                   const std::filesystem::path& output, const KeyChoice& key,
                   CommandMessageSink& sink) {
  cRijndael cipher(sink);
  ApplyKey(cipher, key);

  std::optional<ProgressBar> bar;
  std::optional<BeforeShowHook> hook;
  if (ShowsProgress(input)) {
    bar.emplace(stderr, direction == Direction::kEncrypt ? "encrypting" : "decrypting");
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

}  // namespace

int RunEncryptFile(const std::string& plainFile, const std::string& cipherFile,
                   const KeyChoice& key, CommandMessageSink& sink) {
  return RunFileCommand(Direction::kEncrypt, plainFile, cipherFile, key, sink);
}

int RunDecryptFile(const std::string& cipherFile, const std::string& plainFile,
                   const KeyChoice& key, CommandMessageSink& sink) {
  return RunFileCommand(Direction::kDecrypt, cipherFile, plainFile, key, sink);
}

}  // namespace hostseal::cli
