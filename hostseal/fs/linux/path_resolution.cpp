#include "hostseal/fs/linux/path_resolution.hpp"

#include <fcntl.h>
#include <linux/magic.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <utility>
#include <vector>

#include "hostseal/fs/file_error.hpp"

namespace hostseal {

namespace {

constexpr int kMaxLinks = 40;  // as the kernel's own limit

// A folder reached on the way, and its path as walked, to name a part in a message.
struct Folder {
  FileDescriptor fd;
  struct stat info {};
  std::string shown;
};

FileDescriptor OpenPathAt(int folder, const char* name, int flags) {
  int fd = -1;
  do {
    fd = ::openat(folder, name, O_PATH | O_CLOEXEC | flags);
  } while (fd < 0 && errno == EINTR);
  return FileDescriptor(fd);
}

// The folder a path starts from; 0 or the errno of the failure. With a check, the start is
// checked, and a relative start each folder above it too, up to "/".
int OpenStart(bool absolute, Folder& start, const FolderCheck& check) {
  start.fd = OpenPathAt(AT_FDCWD, absolute ? "/" : ".", O_DIRECTORY);
  if (!start.fd.IsOpen() || ::fstat(start.fd.Get(), &start.info) != 0) return errno;
  start.shown.clear();
  if (absolute) start.shown.push_back('/');
  if (!check) return 0;
  check(start.info, absolute ? start.shown : std::string("."));
  if (absolute) return 0;
  FileDescriptor here = OpenPathAt(start.fd.Get(), ".", O_DIRECTORY);
  struct stat info = start.info;
  std::string shown = "..";
  for (;;) {
    FileDescriptor parent = OpenPathAt(here.Get(), "..", O_DIRECTORY);
    struct stat parentInfo {};
    if (!parent.IsOpen() || ::fstat(parent.Get(), &parentInfo) != 0) return errno;
    if (parentInfo.st_dev == info.st_dev && parentInfo.st_ino == info.st_ino) return 0;  // "/"
    check(parentInfo, shown);
    here = std::move(parent);
    info = parentInfo;
    shown += "/..";
  }
}

// The folders of a path in one call, when none of them is a link (openat2, Linux 5.6): the
// usual case, and a walk part by part costs a few microseconds more. False when the call is
// not there, refused, or meets a link; the walk then finds out.
bool OpenFoldersAtOnce(const std::string& folders, Folder& here) {
#ifdef SYS_openat2
  open_how how{};
  how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
  how.resolve = RESOLVE_NO_SYMLINKS;
  long fd = -1;
  do {
    fd = ::syscall(SYS_openat2, AT_FDCWD, folders.c_str(), &how, sizeof how);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  here.fd = FileDescriptor(static_cast<int>(fd));
  here.shown = folders;
  return ::fstat(here.fd.Get(), &here.info) == 0;
#else
  static_cast<void>(folders);
  static_cast<void>(here);
  return false;
#endif
}

// Puts the parts of text on the stack, its first part on top. Empty parts ("a//b") are
// dropped; a trailing "/" leaves "." as the last part, so that only a folder can end there.
void PushParts(std::string_view text, std::vector<std::string>& stack) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find('/', start), text.size());
    if (end > start) parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  if (!text.empty() && text.back() == '/') parts.emplace_back(".");
  for (auto part = parts.rbegin(); part != parts.rend(); ++part) stack.emplace_back(*part);
}

std::string Joined(const std::string& folder, const std::string& part) {
  std::string joined = folder;
  if (!joined.empty() && joined.back() != '/') joined += '/';
  joined += part;
  return joined;
}

// The target of the link that fd (opened with O_PATH | O_NOFOLLOW) is; 0 or the errno.
int ReadLink(int fd, std::string& target) {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n = ::readlinkat(fd, "", buffer.data(), buffer.size());
    if (n < 0) return errno;
    if (static_cast<std::size_t>(n) < buffer.size()) {
      target.assign(buffer.data(), static_cast<std::size_t>(n));
      return target.empty() ? ENOENT : 0;
    }
    buffer.resize(buffer.size() * 2);
  }
}

// The kernel's own links of /proc (self, fd/N, cwd) may name what no path names (a pipe, a
// deleted file): they are left to the kernel, which jumps to what they stand for.
bool IsInProc(int folder) {
  struct statfs where {};
  return ::fstatfs(folder, &where) == 0 && where.f_type == PROC_SUPER_MAGIC;
}

void RequireTrustedLink(const struct stat& folder, const struct stat& link,
                        const std::string& shown) {
  if (IsSharedFolder(folder) && link.st_uid != ::geteuid() && link.st_uid != folder.st_uid) {
    throw FileSystemError(ErrorNumber::kPermissionDenied, std::filesystem::path(shown),
                          "a link in a shared folder, owned by another user, is not followed");
  }
}

}  // namespace

bool IsSharedFolder(const struct stat& folder) {
  // Group members other than the owner can plant names in a 1770 folder as others can in a 1777
  // one; the kernel's protected_regular=2 and protected_fifos=2 count both.
  return (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

int TryResolvePath(const std::filesystem::path& path, ProcLinks procLinks, ResolvedPath& resolved,
                   const FolderCheck& check) {
  const std::string& text = path.native();
  std::vector<std::string> parts;  // still to walk, the next one at the back
  Folder here;
  const std::size_t slash = text.rfind('/');
  if (!check && slash != std::string::npos && slash + 1 < text.size() &&
      OpenFoldersAtOnce(slash == 0 ? std::string("/") : text.substr(0, slash), here)) {
    PushParts(std::string_view(text).substr(slash + 1), parts);
  } else {
    PushParts(text, parts);
    if (parts.empty()) return ENOENT;
    if (const int error = OpenStart(text.front() == '/', here, check); error != 0) return error;
  }
  const auto found = [&](std::string name, bool procLink) {
    resolved = {std::move(here.fd), std::move(name), procLink};
    return 0;
  };
  int links = 0;
  for (;;) {
    std::string part = std::move(parts.back());
    parts.pop_back();
    const bool last = parts.empty();
    if (last && (part == "." || part == "..")) return found(std::move(part), false);
    if (part == ".") continue;

    FileDescriptor next = OpenPathAt(here.fd.Get(), part.c_str(), O_NOFOLLOW);
    if (!next.IsOpen()) return last && errno == ENOENT ? found(std::move(part), false) : errno;
    struct stat info {};
    if (::fstat(next.Get(), &info) != 0) return errno;
    std::string shown = Joined(here.shown, part);

    if (S_ISLNK(info.st_mode)) {
      RequireTrustedLink(here.info, info, shown);
      if (++links > kMaxLinks) return ELOOP;
      if (IsInProc(here.fd.Get())) {
        if (last && procLinks == ProcLinks::kLeaveLast) return found(std::move(part), true);
        if (!last) {
          next = OpenPathAt(here.fd.Get(), part.c_str(), O_DIRECTORY);
          if (!next.IsOpen() || ::fstat(next.Get(), &info) != 0) return errno;
          if (check) check(info, shown);
          here = Folder{std::move(next), info, std::move(shown)};
          continue;
        }
      }
      std::string target;
      if (const int error = ReadLink(next.Get(), target); error != 0) return error;
      if (target.front() == '/') {
        if (const int error = OpenStart(true, here, check); error != 0) return error;
      }
      PushParts(target, parts);
      continue;
    }
    if (last) return found(std::move(part), false);
    if (!S_ISDIR(info.st_mode)) return ENOTDIR;
    if (check) check(info, shown);
    here = Folder{std::move(next), info, std::move(shown)};
  }
}

ResolvedPath ResolvePath(const std::filesystem::path& path, ProcLinks procLinks) {
  ResolvedPath resolved;
  if (const int error = TryResolvePath(path, procLinks, resolved); error != 0) {
    throw FileSystemError(error, path);
  }
  return resolved;
}

}  // namespace hostseal
