// The tool's whole command line, in process: argv is the input split at NUL bytes (argv[0]
// "hostseal" added), standard input is the whole input, standard output and standard error are
// captured. Every command runs: the file commands inside a private folder (the current
// directory, refilled before each run with a plain file, a cipher file, a key file and a
// pass-phrase file; an argument holding "/" or naming "." or ".." is skipped, so that nothing
// outside it is touched), the host commands against injected answers (fuzz_host_queries.cpp).
// --ask-passphrase is skipped: it would wait for a terminal.
//
// Checked: the exit status is one of 0-3, a success of a command that writes no file (the
// tool's command table says which do) ends its output with a line feed, the process default
// message sink is restored, and no message repeats a value of --key or --passphrase: when such
// a value holds the marker "SECRET-" and no other argument does, standard error never shows it.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.hpp"
#include "fuzz/fuzz_temp_folder.hpp"
#include "hostseal/common/message_sink.hpp"
#include "hostseal/text/code_page.hpp"
#include "tools/hostseal/command_line.hpp"
#include "tools/hostseal/command_table.hpp"

namespace {

constexpr std::size_t kMaxArguments = 16;
constexpr std::string_view kMarker = "SECRET-";

// A file in memory put in place of a standard stream for one run.
class MemoryStream {
 public:
  explicit MemoryStream(const char* name) : m_Fd(memfd_create(name, MFD_CLOEXEC)) {
    FUZZ_CHECK(m_Fd >= 0);
  }
  MemoryStream(const MemoryStream&) = delete;
  MemoryStream& operator=(const MemoryStream&) = delete;
  ~MemoryStream() { close(m_Fd); }
  int Fd() const { return m_Fd; }

 private:
  int m_Fd;
};

// The private folder as the current directory until the scope ends (libFuzzer's own paths
// stay relative to the directory it was started in).
class InFolder {
 public:
  InFolder() : m_Saved(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    FUZZ_CHECK(m_Saved >= 0 && chdir(hostseal::fuzzing::FuzzFolder().c_str()) == 0);
  }
  ~InFolder() {
    FUZZ_CHECK(fchdir(m_Saved) == 0);
    close(m_Saved);
  }
  InFolder(const InFolder&) = delete;
  InFolder& operator=(const InFolder&) = delete;

 private:
  int m_Saved;
};

// Puts a stream in place of a standard descriptor until the scope ends.
class Redirect {
 public:
  Redirect(int stream, int fd) : m_Stream(stream), m_Saved(dup(stream)) {
    FUZZ_CHECK(m_Saved >= 0 && dup2(fd, stream) == stream);
  }
  ~Redirect() {
    dup2(m_Saved, m_Stream);
    close(m_Saved);
  }
  Redirect(const Redirect&) = delete;
  Redirect& operator=(const Redirect&) = delete;

 private:
  int m_Stream;
  int m_Saved;
};

std::string ReadAll(int fd) {
  std::string out;
  FUZZ_CHECK(lseek(fd, 0, SEEK_SET) == 0);
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    FUZZ_CHECK(n >= 0);
    if (n == 0) break;
    out.append(buffer, static_cast<std::size_t>(n));
  }
  return out;
}

bool Skipped(const std::string& argument) {
  return argument.find('/') != std::string::npos || argument == "." || argument == ".." ||
         argument.rfind("--ask", 0) == 0;
}

// The private folder as every run finds it.
void RefillFolder() {
  namespace fs = std::filesystem;
  const fs::path& folder = hostseal::fuzzing::FuzzFolder();
  for (const auto& entry : fs::directory_iterator(folder)) fs::remove_all(entry.path());
  const auto write = [&folder](const char* name, std::string_view bytes) {
    hostseal::fuzzing::WriteWholeFile(folder / name, bytes.data(), bytes.size());
  };
  write("plain", "plain text\n");
  write("cipher", std::string(32, '\x5a'));
  write("key", "000102030405060708090a0b0c0d0e0f\n");
  write("phrase", "SECRET-phrase\r\n");
}

// The values given to --key and --passphrase, as the tool takes them, and whether any other
// argument holds the marker.
bool SecretsCanBeChecked(const std::vector<std::string>& arguments) {
  bool secretMarked = false;
  bool otherMarked = false;
  bool optionsEnded = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    const bool marked = a.find(kMarker) != std::string::npos;
    if (optionsEnded) {
      otherMarked = otherMarked || marked;
      continue;
    }
    if (a == "--") optionsEnded = true;
    if ((a == "--key" || a == "--passphrase" || a == "--key=" || a == "--passphrase=") &&
        i + 1 < arguments.size()) {
      secretMarked = secretMarked || arguments[i + 1].find(kMarker) != std::string::npos;
      ++i;
    } else if (a.rfind("--key=", 0) == 0 || a.rfind("--passphrase=", 0) == 0) {
      secretMarked = secretMarked || marked;
    } else {
      otherMarked = otherMarked || marked;
    }
  }
  return secretMarked && !otherMarked;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Nothing from outside: the code page comes from --codepage or the fixed start below, the
  // key from the arguments, the AES path from the processor.
  for (const char* name :
       {"HOSTSEAL_CODEPAGE", "HOSTSEAL_KEY", "HOSTSEAL_PASSPHRASE", "HOSTSEAL_CPU", "NO_COLOR"}) {
    unsetenv(name);
  }
  setenv("NO_COLOR", "1", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> arguments{"hostseal"};
  for (std::size_t start = 0; start <= input.size() && arguments.size() <= kMaxArguments;) {
    const std::size_t end = std::min(input.find('\0', start), input.size());
    arguments.push_back(input.substr(start, end - start));
    start = end + 1;
  }
  if (input.empty()) arguments.pop_back();
  if (std::any_of(arguments.begin(), arguments.end(), Skipped)) return -1;
  const bool checkSecrets = SecretsCanBeChecked(arguments);
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  // Every run starts from the same state.
  hostseal::SetAnsiCodePage(65001);
  RefillFolder();

  MemoryStream in("stdin");
  FUZZ_CHECK(write(in.Fd(), input.data(), input.size()) == static_cast<ssize_t>(input.size()));
  MemoryStream out("stdout");
  MemoryStream err("stderr");
  std::fflush(stdout);
  std::fflush(stderr);
  int status = -1;
  {
    const InFolder inFolder;
    const Redirect inRedirect(0, in.Fd());
    const Redirect outRedirect(1, out.Fd());
    const Redirect errRedirect(2, err.Fd());
    std::rewind(stdin);
    status = hostseal::cli::RunCommandLine(static_cast<int>(arguments.size()), argv.data());
    std::fflush(stdout);
    std::fflush(stderr);
  }
  std::rewind(stdin);
  std::clearerr(stdout);
  std::clearerr(stderr);

  FUZZ_CHECK(status >= 0 && status <= 3);
  const std::string printed = ReadAll(out.Fd());
  const std::string shown = ReadAll(err.Fd());
  // The command is the first argument that names one (before it only the global options,
  // whose values name none where parsing succeeds); a command that writes files prints nothing.
  const auto named = std::find_if(arguments.begin() + 1, arguments.end(), [](const std::string& a) {
    return hostseal::cli::FindCommand(a) != nullptr;
  });
  const bool writesFiles =
      named != arguments.end() && hostseal::cli::FindCommand(*named)->writesFiles;
  if (status == 0 && !writesFiles) FUZZ_CHECK(!printed.empty() && printed.back() == '\n');
  if (checkSecrets) FUZZ_CHECK(shown.find(kMarker) == std::string::npos);
  // The tool's own sink is no longer the default once the command line has run.
  FUZZ_CHECK(dynamic_cast<hostseal::StandardErrorSink*>(hostseal::SetDefaultMessageSink(nullptr)) !=
             nullptr);
  return 0;
}
