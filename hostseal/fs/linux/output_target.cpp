#include "hostseal/fs/linux/output_target.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "hostseal/fs/file_error.hpp"

namespace hostseal {

OutputTarget ResolveOutputTarget(const std::filesystem::path& path) {
  OutputTarget target = ResolvePath(path);
  if (target.name.empty() || target.name == "." || target.name == "..") {
    throw FileSystemError(EISDIR, path);
  }
  return target;
}

void RequireWritableTarget(int folder, const struct stat& existing,
                           const std::filesystem::path& path) {
  struct stat folderInfo {};
  if (::fstat(folder, &folderInfo) != 0) throw FileSystemError(errno, path);
  if (!IsSharedFolder(folderInfo)) return;
  if (existing.st_uid != ::geteuid() && existing.st_uid != folderInfo.st_uid) {
    throw FileSystemError(ErrorNumber::kPermissionDenied, path,
                          "a file in a shared folder, owned by another user, is not written");
  }
  if (existing.st_nlink > 1) {
    throw FileSystemError(ErrorNumber::kPermissionDenied, path,
                          "a file in a shared folder, with other hard links, is not written");
  }
}

}  // namespace hostseal
