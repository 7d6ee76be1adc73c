// The tool's argument handling, in process: argv is the input split at NUL bytes (argv[0]
// "hostseal" added), standard input is the whole input, standard output is captured. Only the
// text commands and the global options run: an argv that names a file, network, processor or
// identity command anywhere is skipped before parsing, so that no file is written and no
// query leaves the process. Checked: the exit status is one of 0-3, a success ends its output
// with a line feed, and the process default message sink is restored.
#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.hpp"
#include "hostseal/common/message_sink.hpp"
#include "hostseal/text/code_page.hpp"
#include "tools/hostseal/run_command_line.hpp"

namespace {

constexpr std::array<std::string_view, 6> kRefused{"encrypt-file", "decrypt-file", "host-ip",
                                                   "mac",          "cpu",          "identity"};
constexpr std::size_t kMaxArguments = 16;

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

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The code page comes only from --codepage or the fixed start below, never from outside.
  unsetenv("HOSTSEAL_CODEPAGE");
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
  for (const std::string& argument : arguments) {
    for (const std::string_view refused : kRefused) {
      if (argument == refused) return -1;  // not added to the corpus
    }
  }
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  // Every run starts from the same state.
  hostseal::SetAnsiCodePage(65001);

  MemoryStream in("stdin");
  FUZZ_CHECK(write(in.Fd(), input.data(), input.size()) == static_cast<ssize_t>(input.size()));
  MemoryStream out("stdout");
  std::fflush(stdout);
  const int savedIn = dup(0);
  const int savedOut = dup(1);
  FUZZ_CHECK(savedIn >= 0 && savedOut >= 0);
  FUZZ_CHECK(dup2(in.Fd(), 0) == 0 && dup2(out.Fd(), 1) == 1);
  std::rewind(stdin);

  const int status = hostseal::cli::RunCommandLine(static_cast<int>(arguments.size()), argv.data());

  std::fflush(stdout);
  FUZZ_CHECK(dup2(savedIn, 0) == 0 && dup2(savedOut, 1) == 1);
  close(savedIn);
  close(savedOut);
  std::rewind(stdin);
  std::clearerr(stdout);

  FUZZ_CHECK(status >= 0 && status <= 3);
  const std::string printed = ReadAll(out.Fd());
  if (status == 0) FUZZ_CHECK(!printed.empty() && printed.back() == '\n');
  // The tool's own sink is no longer the default once the command line has run.
  FUZZ_CHECK(dynamic_cast<hostseal::StandardErrorSink*>(hostseal::SetDefaultMessageSink(nullptr)) !=
             nullptr);
  return 0;
}
