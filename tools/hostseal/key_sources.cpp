#include "tools/hostseal/key_sources.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/secure_wipe.hpp"
#include "hostseal/common/visible_text.hpp"
#include "hostseal/fs/file_error.hpp"
#include "tools/hostseal/standard_streams.hpp"

namespace hostseal::cli {

namespace {

// Closes a descriptor that this file opened; standard input stays open.
class OwnedDescriptor {
 public:
  explicit OwnedDescriptor(int fd, bool owned) : m_Fd(fd), m_Owned(owned) {}
  ~OwnedDescriptor() {
    if (m_Owned && m_Fd >= 0) ::close(m_Fd);
  }
  OwnedDescriptor(const OwnedDescriptor&) = delete;
  OwnedDescriptor& operator=(const OwnedDescriptor&) = delete;
  int Get() const { return m_Fd; }

 private:
  int m_Fd;
  bool m_Owned;
};

std::string Named(std::string_view what, const std::string& path) {
  if (path == "-") return std::string(what) + " on standard input";
  return std::string(what) + " \"" + VisibleText(path) + "\"";
}

RaisedError ReadError(int error, std::string_view what, const std::string& path) {
  return RaisedError(ErrorNumberForErrno(error), "Cannot read the " + Named(what, path) + " (" +
                                                     std::generic_category().message(error) + ")");
}

void WarnWhenOthersCanRead(int fd, std::string_view what, const std::string& path) {
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) return;
  if ((status.st_mode & (S_IRGRP | S_IROTH)) == 0) return;
  char mode[8];
  std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(status.st_mode & 07777));
  WriteDiagnostic("warning: other users can read the " + Named(what, path) + " (mode " + mode +
                  "); keep it private, as with chmod 600");
}

}  // namespace

SecretText ReadFirstLine(const std::string& path, std::string_view what) {
  const bool standardInput = path == "-";
  const OwnedDescriptor fd(
      standardInput ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY),
      !standardInput);
  if (fd.Get() < 0) throw ReadError(errno, what, path);
  WarnWhenOthersCanRead(fd.Get(), what, path);

  SecretText line;
  line.Reserve(kMaxSecretLine + 1);  // and the "\r" of a "\r\n"
  std::array<char, 512> buffer{};
  const WipeOnExit bufferWipe(buffer.data(), buffer.size());
  bool anything = false;
  for (;;) {
    const ssize_t n = ::read(fd.Get(), buffer.data(), buffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      throw ReadError(errno, what, path);
    }
    if (n == 0) break;
    anything = true;
    const std::string_view chunk(buffer.data(), static_cast<std::size_t>(n));
    const std::size_t end = chunk.find('\n');
    if (!line.Append(chunk.substr(0, end))) {
      throw RaisedError(ErrorNumber::kCipher, "The first line of the " + Named(what, path) +
                                                  " is longer than " +
                                                  std::to_string(kMaxSecretLine) + " bytes");
    }
    if (end != std::string_view::npos) break;
  }
  if (!line.Empty() && line.View().back() == '\r') line.PopBack();
  if (!anything) throw RaisedError(ErrorNumber::kCipher, "The " + Named(what, path) + " is empty");
  if (line.Empty()) {
    throw RaisedError(ErrorNumber::kCipher,
                      "The first line of the " + Named(what, path) + " is empty");
  }
  if (line.Size() > kMaxSecretLine) {
    throw RaisedError(ErrorNumber::kCipher, "The first line of the " + Named(what, path) +
                                                " is longer than " +
                                                std::to_string(kMaxSecretLine) + " bytes");
  }
  return line;
}

std::optional<SecretText> TakeSecretVariable(const char* name) {
  char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  const std::size_t length = std::strlen(value);
  SecretText text(std::string_view(value, length));
  SecureWipe(value, length);
  ::unsetenv(name);
  return text;
}

}  // namespace hostseal::cli
