#include "tools/hostseal/streams/standard_streams.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <vector>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/fs/file_error.hpp"

namespace hostseal::cli {

namespace {

// The reason of the first failed write to standard output while a watch lives; 0: none yet.
int g_FirstOutputError = 0;

// Passes every write on unbuffered and notes the reason of the first one that fails.
class ErrorNotingBuffer final : public std::streambuf {
 public:
  explicit ErrorNotingBuffer(std::streambuf* next) : m_Next(next) {}

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const int_type written = m_Next->sputc(traits_type::to_char_type(c));
    if (traits_type::eq_int_type(written, traits_type::eof())) NoteError();
    return written;
  }
  std::streamsize xsputn(const char* data, std::streamsize n) override {
    const std::streamsize written = m_Next->sputn(data, n);
    if (written != n) NoteError();
    return written;
  }
  int sync() override {
    const int result = m_Next->pubsync();
    if (result != 0) NoteError();
    return result;
  }

 private:
  static void NoteError() {
    if (g_FirstOutputError == 0) g_FirstOutputError = errno != 0 ? errno : EIO;
  }

  std::streambuf* m_Next;
};

}  // namespace

StandardOutputWatch::StandardOutputWatch()
    : m_Buffer(std::make_unique<ErrorNotingBuffer>(std::cout.rdbuf())),
      m_Previous(std::cout.rdbuf(m_Buffer.get())) {
  g_FirstOutputError = 0;
}

StandardOutputWatch::~StandardOutputWatch() {
  std::cout.rdbuf(m_Previous);
}

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

void WriteUtf8(std::string_view utf8) {
  std::cout.write(utf8.data(), static_cast<std::streamsize>(utf8.size()));
}

void WriteLine(std::u16string_view text) {
  std::cout << ToUtf8(text) << '\n';
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
    const int error = g_FirstOutputError != 0 ? g_FirstOutputError : errno != 0 ? errno : EIO;
    std::cout.clear();
    std::clearerr(stdout);
    // In the words a file gets, as the file commands' standard output does:
    //   Disk full: "standard output" (File too large)
    throw FileSystemError(error, "standard output");
  }
}

}  // namespace hostseal::cli
