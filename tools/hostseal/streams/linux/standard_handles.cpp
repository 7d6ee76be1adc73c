// The standard streams on Linux: descriptors 0, 1 and 2 and the C library's streams on them.
#include "tools/hostseal/streams/standard_streams.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "hostseal/common/raised_error.hpp"

namespace hostseal::cli {

// The standard streams carry bytes as they are and a terminal takes UTF-8 and colour sequences:
// the console session has nothing to set up.
struct ConsoleSession::State {};

ConsoleSession::ConsoleSession() = default;
ConsoleSession::~ConsoleSession() = default;

bool IsTerminal(StandardStream stream) {
  const int fd = stream == StandardStream::kInput    ? STDIN_FILENO
                 : stream == StandardStream::kOutput ? STDOUT_FILENO
                                                     : STDERR_FILENO;
  return ::isatty(fd) == 1;
}

void WriteStandardError(std::string_view utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stderr);
  std::fflush(stderr);
}

std::size_t ReadStandardInput(char* buffer, std::size_t size) {
  // The end, once seen, stays: at a terminal one Ctrl-D ends the input, where another read
  // would wait for a second.
  if (std::feof(stdin) != 0) return 0;
  const std::size_t n = std::fread(buffer, 1, size, stdin);
  if (n == 0 && std::ferror(stdin)) {
    throw RaisedError(ErrorNumber::kDeviceIoError,
                      std::string("Device I/O error: standard input: ") + std::strerror(errno));
  }
  return n;
}

const char* EndOfInputKeys() {
  return "Ctrl-D";
}

}  // namespace hostseal::cli
