#include "tools/hostseal/standard_streams.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iostream>
#include <vector>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/fs/file_error.hpp"
#include "tools/hostseal/standard_handles.hpp"

namespace hostseal::cli {

std::string DropTrailingLineFeed(std::string bytes) {
  if (!bytes.empty() && bytes.back() == '\n') {
    bytes.pop_back();
    if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
  }
  return bytes;
}

void ReadStandardInputPieces(const std::function<void(std::string_view)>& piece) {
  // The last two bytes read wait for the next read: they may be the line feed to drop.
  std::vector<char> buffer(65536 + 2);
  std::size_t held = 0;
  for (;;) {
    const std::size_t n = ReadStandardInput(buffer.data() + held, buffer.size() - held);
    if (n == 0) break;  // the end of the input
    const std::size_t have = held + n;
    held = std::min<std::size_t>(have, 2);
    if (have > held) piece(std::string_view(buffer.data(), have - held));
    std::copy(buffer.begin() + static_cast<std::ptrdiff_t>(have - held),
              buffer.begin() + static_cast<std::ptrdiff_t>(have), buffer.begin());
  }
  const std::string tail = DropTrailingLineFeed(std::string(buffer.data(), held));
  if (!tail.empty()) piece(tail);
}

std::u16string ReadStandardInputText() {
  std::string bytes;
  ReadStandardInputPieces([&bytes](std::string_view piece) { bytes += piece; });
  return FromUtf8(bytes);
}

namespace {

// The reason the first failed write to standard output gave (a full disk, the file-size limit,
// a closed pipe), kept for FlushStandardOutput: the stream remembers only that it failed, and
// later calls on it overwrite errno.
int g_OutputError = 0;

void NoteOutputFailure() {
  if (!std::cout && g_OutputError == 0) g_OutputError = errno != 0 ? errno : EIO;
}

}  // namespace

void WriteUtf8(std::string_view utf8) {
  errno = 0;
  std::cout.write(utf8.data(), static_cast<std::streamsize>(utf8.size()));
  NoteOutputFailure();
}

void WriteLine(std::u16string_view text) {
  errno = 0;
  std::cout << ToUtf8(text) << '\n';
  NoteOutputFailure();
}

void WriteDiagnostic(std::string_view text) {
  std::cout.flush();
  std::string line = "hostseal: ";
  line += text;
  line += '\n';
  WriteStandardError(line);
}

void FlushStandardOutput() {
  errno = 0;
  std::cout.flush();
  const bool failed = !std::cout || std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
  if (failed) {
    const int error = g_OutputError != 0 ? g_OutputError : errno != 0 ? errno : EIO;
    g_OutputError = 0;
    std::cout.clear();
    std::clearerr(stdout);
    // In the words a file gets, as the file commands' standard output does:
    //   Disk full: "standard output" (File too large)
    throw FileSystemError(error, "standard output");
  }
}

}  // namespace hostseal::cli
