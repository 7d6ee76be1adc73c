#include "tools/hostseal/standard_streams.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"

namespace hostseal::cli {

std::string DropTrailingLineFeed(std::string bytes) {
  if (!bytes.empty() && bytes.back() == '\n') {
    bytes.pop_back();
    if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
  }
  return bytes;
}

std::u16string ReadStandardInputText() {
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, stdin);
    bytes.append(buffer, n);
    if (n < sizeof buffer) break;
  }
  if (std::ferror(stdin)) {
    throw RaisedError(ErrorNumber::kDeviceIoError,
                      std::string("Device I/O error: standard input: ") + std::strerror(errno));
  }
  return FromUtf8(DropTrailingLineFeed(std::move(bytes)));
}

void WriteLine(std::u16string_view text) {
  std::cout << ToUtf8(text) << '\n';
}

void WriteDiagnostic(std::string_view text) {
  std::cout.flush();
  std::string line = "hostseal: ";
  line += text;
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

void FlushStandardOutput() {
  errno = 0;
  std::cout.flush();
  const bool failed = !std::cout || std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
  if (failed) {
    const int error = errno != 0 ? errno : EIO;
    std::cout.clear();
    std::clearerr(stdout);
    throw RaisedError(ErrorNumber::kDeviceIoError,
                      std::string("Device I/O error: standard output: ") + std::strerror(error));
  }
}

}  // namespace hostseal::cli
