// WriteNewPrivateFile on Linux: open(2) with O_CREAT | O_EXCL, which fails on any name that
// exists, a dangling link included, and creates the file with mode 0600 (less the umask).
#include "tools/hostseal/new_private_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "hostseal/fs/file_error.hpp"
#include "hostseal/fs/file_name.hpp"
#include "hostseal/fs/linux/file_descriptor.hpp"

namespace hostseal::cli {

namespace {

// 0, or the errno of the write or flush that failed.
int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  while (::fsync(fd) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

}  // namespace

void WriteNewPrivateFile(const std::string& path, std::string_view bytes) {
  const std::filesystem::path name = PathFromUtf8(path);
  CheckFileName(name);
  FileDescriptor file(
      ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0600));
  if (!file.IsOpen()) {
    const int error = errno;
    if (error == EEXIST) {
      throw FileSystemError(ErrorNumber::kPathFileAccessError, name, kFileAlreadyExists);
    }
    if (error == ENOENT || error == ENOTDIR) {
      throw OutputFolderNotFound(name, std::generic_category().message(error));
    }
    throw FileSystemError(error, name);
  }
  int error = WriteAll(file.Get(), bytes);
  if (error == 0) error = file.Close();
  if (error == 0) return;
  ::unlink(name.c_str());  // the file is the one made above: nobody can replace it in between
  throw FileSystemError(error, name);
}

}  // namespace hostseal::cli
