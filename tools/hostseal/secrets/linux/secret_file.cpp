// SecretFile on Linux: a descriptor opened from the folder that ResolvePath reached, read
// with read(2), so that no more than the first line is taken from a pipe or FIFO.
#include "tools/hostseal/secrets/secret_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/fs/file_error.hpp"
#include "hostseal/fs/linux/path_resolution.hpp"
#include "tools/hostseal/streams/standard_streams.hpp"

namespace hostseal::cli {

namespace {

RaisedError ReadError(int error, std::string_view what, const std::string& path) {
  return RaisedError(ErrorNumberForErrno(error), "Cannot read the " + NamedSecretFile(what, path) +
                                                     " (" + std::generic_category().message(error) +
                                                     ")");
}

void WarnWhenOthersCanRead(int fd, std::string_view what, const std::string& path) {
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) return;
  if ((status.st_mode & (S_IRGRP | S_IROTH)) == 0) return;
  char mode[8];
  std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(status.st_mode & 07777));
  WriteDiagnostic("warning: other users can read the " + NamedSecretFile(what, path) + " (mode " +
                  mode + "); keep it private, as with chmod 600");
}

}  // namespace

SecretFile::SecretFile(const std::string& path, std::string_view what)
    : m_Path(path), m_What(what), m_Handle(STDIN_FILENO), m_Owned(path != "-") {
  if (m_Owned) {
    // Links on the way are followed on the caller's terms, as for any input: a key planted
    // through another user's link would be that user's.
    ResolvedPath resolved;
    if (const int error = TryResolvePath(path, ProcLinks::kLeaveLast, resolved); error != 0) {
      throw ReadError(error, what, path);
    }
    const int fd = ::openat(resolved.folder.Get(), resolved.name.c_str(),
                            O_RDONLY | O_CLOEXEC | O_NOCTTY | (resolved.procLink ? 0 : O_NOFOLLOW));
    if (fd < 0) throw ReadError(errno, what, path);
    m_Handle = fd;
  }
  WarnWhenOthersCanRead(static_cast<int>(m_Handle), what, path);
}

SecretFile::~SecretFile() {
  if (m_Owned) ::close(static_cast<int>(m_Handle));
}

std::size_t SecretFile::Read(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(static_cast<int>(m_Handle), buffer, size);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) throw ReadError(errno, m_What, m_Path);
  }
}

}  // namespace hostseal::cli
