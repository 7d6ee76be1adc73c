// WriteNewPrivateFile on Linux: the path is resolved as every output's is (links that another
// user planted in a shared folder are refused). The key is written into an unnamed file of mode
// 0600 (O_TMPFILE) and linked to its name only when complete and on disk, so that no signal,
// not even SIGKILL, leaves a partial key behind; linkat(2) fails on any name that exists. Where
// the file system has no unnamed files, openat(2) with O_CREAT | O_EXCL makes the file.
#include "tools/hostseal/commands/new_private_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <system_error>

#include "hostseal/fs/file_error.hpp"
#include "hostseal/fs/file_name.hpp"
#include "hostseal/fs/linux/file_descriptor.hpp"
#include "hostseal/fs/linux/output_target.hpp"

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
  OutputTarget target;
  try {
    target = ResolveOutputTarget(name);
  } catch (const RaisedError& error) {
    // A missing last name is the new file; "not found" on the way means a folder is missing.
    if (error.Number() != static_cast<std::int32_t>(ErrorNumber::kFileNotFound)) throw;
    throw OutputFolderNotFound(name, std::generic_category().message(ENOENT));
  }
  const int folder = target.folder.Get();
  FileDescriptor unnamed(::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
  if (unnamed.IsOpen()) {
    int error = WriteAll(unnamed.Get(), bytes);
    const std::string self = "/proc/self/fd/" + std::to_string(unnamed.Get());
    if (error == 0 &&
        ::linkat(AT_FDCWD, self.c_str(), folder, target.name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      error = errno;
    }
    if (error == EEXIST) {
      throw FileSystemError(ErrorNumber::kPathFileAccessError, name, kFileAlreadyExists);
    }
    if (error != 0 && error != ENOENT) throw FileSystemError(error, name);
    if (error == 0) return;
    // No /proc to link through: the named way below.
  }
  FileDescriptor file(::openat(folder, target.name.c_str(),
                               O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW,
                               0600));
  if (!file.IsOpen()) {
    const int error = errno;
    if (error == EEXIST) {
      throw FileSystemError(ErrorNumber::kPathFileAccessError, name, kFileAlreadyExists);
    }
    throw FileSystemError(error, name);
  }
  int error = WriteAll(file.Get(), bytes);
  if (error == 0) error = file.Close();
  if (error == 0) return;
  ::unlinkat(folder, target.name.c_str(), 0);  // the file made above
  throw FileSystemError(error, name);
}

}  // namespace hostseal::cli
