#include "hostseal/fs/linux/output_target.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

#include "hostseal/fs/file_error.hpp"

namespace hostseal {

namespace {

constexpr int kMaxLinks = 40;  // as the kernel's own limit

std::string ReadLink(int folder, const std::string& name, const std::filesystem::path& path) {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n = ::readlinkat(folder, name.c_str(), buffer.data(), buffer.size());
    if (n < 0) throw FileSystemError(errno, path);
    if (static_cast<std::size_t>(n) < buffer.size()) {
      return std::string(buffer.data(), static_cast<std::size_t>(n));
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

bool IsSharedFolder(const struct stat& folder) {
  return (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
}

OutputTarget ResolveOutputTarget(const std::filesystem::path& path) {
  FileDescriptor base;  // the folder a relative link is read from; none: the working folder
  std::filesystem::path next = path;
  for (int links = 0; links <= kMaxLinks; ++links) {
    std::string name = next.filename().native();
    if (name.empty() || name == "." || name == "..") throw FileSystemError(EISDIR, path);
    std::filesystem::path parent = next.parent_path();
    if (parent.empty()) parent = ".";
    const int start = base.IsOpen() ? base.Get() : AT_FDCWD;
    FileDescriptor folder(::openat(start, parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder.IsOpen()) throw FileSystemError(errno, path);

    struct stat info {};
    if (::fstatat(folder.Get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT) return {std::move(folder), std::move(name)};
      throw FileSystemError(errno, path);
    }
    if (!S_ISLNK(info.st_mode)) return {std::move(folder), std::move(name)};

    struct stat folderInfo {};
    if (::fstat(folder.Get(), &folderInfo) != 0) throw FileSystemError(errno, path);
    if (IsSharedFolder(folderInfo) && info.st_uid != ::geteuid() &&
        info.st_uid != folderInfo.st_uid) {
      throw FileSystemError(ErrorNumber::kPermissionDenied, path,
                            "a link in a shared folder, owned by another user, is not followed");
    }
    next = ReadLink(folder.Get(), name, path);
    base = std::move(folder);
  }
  throw FileSystemError(ELOOP, path);
}

}  // namespace hostseal
