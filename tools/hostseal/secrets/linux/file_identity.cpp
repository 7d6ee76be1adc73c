// FileIdentity on Linux: fstat's device and inode; IN is reached by the file layer's walk, as
// the command reaches it.
#include "tools/hostseal/secrets/file_identity.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/fs/linux/path_resolution.hpp"

namespace hostseal::cli {

namespace {

FileIdentity IdentityOfStatus(const struct stat& status) {
  return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

}  // namespace

std::optional<FileIdentity> IdentityOfHandle(std::intptr_t handle) {
  struct stat status {};
  if (::fstat(static_cast<int>(handle), &status) != 0) return std::nullopt;
  return IdentityOfStatus(status);
}

std::optional<FileIdentity> IdentityOfStandardInput() {
  return IdentityOfHandle(STDIN_FILENO);
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
  try {
    ResolvedPath resolved;
    if (TryResolvePath(path, ProcLinks::kLeaveLast, resolved) != 0) return std::nullopt;
    struct stat status {};
    if (::fstatat(resolved.folder.Get(), resolved.name.c_str(), &status,
                  resolved.procLink ? 0 : AT_SYMLINK_NOFOLLOW) != 0) {
      return std::nullopt;
    }
    return IdentityOfStatus(status);
  } catch (const RaisedError&) {
    return std::nullopt;  // a link the walk refuses: the command says so when it opens the file
  }
}

}  // namespace hostseal::cli
