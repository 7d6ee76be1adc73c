// SecretFile on Linux: a descriptor opened from the folder that ResolvePath reached, read
// with read(2), so that no more than the first line is taken from a pipe or FIFO.
//
// Whose the source is, OpenSSH's rule for its own key files: a key or pass-phrase file, a FIFO
// or a pipe (standard input included) is used only when the caller (effective user) or root
// owns it and neither its group nor others may write to it; every folder the walk opens on the
// way (and above the current folder, for a relative path) likewise, except that others may
// write to a sticky folder such as /tmp, where they cannot replace what is not theirs. A pipe
// without a name is the caller's own wiring, whoever made it. The
// folders are checked as the walk opens them, the file before it is opened (a FIFO that another
// user planted would hold the tool until that user writes) and again once it is open. A
// terminal or another device is the system's: not checked. With --trust-key-file each finding
// is a warning instead.
#include "tools/hostseal/secrets/secret_file.hpp"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/visible_text.hpp"
#include "hostseal/fs/file_error.hpp"
#include "hostseal/fs/linux/file_descriptor.hpp"
#include "hostseal/fs/linux/path_resolution.hpp"
#include "tools/hostseal/secrets/file_identity.hpp"
#include "tools/hostseal/streams/standard_streams.hpp"

namespace hostseal::cli {

namespace {

RaisedError ReadError(int error, std::string_view what, const std::string& path) {
  return RaisedError(ErrorNumberForErrno(error), "Cannot read the " + NamedSecretFile(what, path) +
                                                     " (" + std::generic_category().message(error) +
                                                     ")");
}

std::string Mode(const struct stat& status) {
  char mode[8];
  std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(status.st_mode & 07777));
  return mode;
}

void WarnWhenOthersCanRead(const struct stat& status, std::string_view what,
                           const std::string& path) {
  if (!S_ISREG(status.st_mode) || (status.st_mode & (S_IRGRP | S_IROTH)) == 0) return;
  WriteDiagnostic("warning: other users can read the " + NamedSecretFile(what, path) + " (mode " +
                  Mode(status) + "); keep it private, as with chmod 600");
}

// The owner rule for the source itself (folder false) or a folder on its path (shown: the
// folder). Raises 70 "Permission denied" naming the part and why, or, trusted, warns.
void CheckOwnerAndWriters(const struct stat& status, bool folder, const std::string& shown,
                          std::string_view what, const std::string& path, bool trusted) {
  if (!folder && !S_ISREG(status.st_mode) && !S_ISFIFO(status.st_mode)) return;
  const bool foreign = status.st_uid != ::geteuid() && status.st_uid != 0;
  const bool writable =
      (status.st_mode & (S_IWGRP | S_IWOTH)) != 0 && !(folder && (status.st_mode & S_ISVTX) != 0);
  if (!foreign && !writable) return;
  if (!trusted) {
    const std::string reason = "a " + std::string(what) + (folder ? " in a folder" : "") +
                               (foreign ? " owned by another user" : " that others may write") +
                               " is not used";
    if (!folder && path == "-") {
      throw RaisedError(ErrorNumber::kPermissionDenied,
                        "Permission denied: standard input (" + reason + ")");
    }
    throw FileSystemError(ErrorNumber::kPermissionDenied, shown, reason);
  }
  const std::string named = folder ? "the folder \"" + VisibleText(shown) +
                                         "\" on the path of the " + NamedSecretFile(what, path)
                                   : "the " + NamedSecretFile(what, path);
  WriteDiagnostic(
      "warning: " +
      (foreign ? named + " is owned by another user (uid " + std::to_string(status.st_uid) + ")"
               : "other users can write " + named + " (mode " + Mode(status) + ")") +
      "; used as --trust-key-file asks");
}

// A pipe without a name (`echo KEY | sudo hostseal ...`, `<(...)`) belongs to whoever made it,
// which is whoever started the tool and wired its input: nobody else can hand one over.
bool IsUnnamedPipe(int fd) {
  struct statfs where {};
  return ::fstatfs(fd, &where) == 0 && where.f_type == PIPEFS_MAGIC;
}

// The rule again for what was opened (another file may have taken the name meanwhile), and the
// warning about readers.
void CheckOpened(int fd, std::string_view what, const std::string& path, bool trusted) {
  struct stat status {};
  if (::fstat(fd, &status) != 0) return;
  if (!IsUnnamedPipe(fd)) CheckOwnerAndWriters(status, false, path, what, path, trusted);
  WarnWhenOthersCanRead(status, what, path);
}

}  // namespace

SecretFile::SecretFile(const std::string& path, std::string_view what, bool trustAnyOwner)
    : m_Path(path), m_What(what), m_Handle(STDIN_FILENO), m_Owned(path != "-") {
  if (m_Owned) {
    // Links on the way are followed on the caller's terms, as for any input: a key planted
    // through another user's link would be that user's.
    ResolvedPath resolved;
    const FolderCheck checkFolder = [&](const struct stat& folder, const std::string& shown) {
      CheckOwnerAndWriters(folder, true, shown, what, path, trustAnyOwner);
    };
    if (const int error = TryResolvePath(path, ProcLinks::kLeaveLast, resolved, checkFolder);
        error != 0) {
      throw ReadError(error, what, path);
    }
    struct stat before {};
    // A link of /proc's own names a descriptor already open, which opening cannot block on;
    // what it names is judged once open.
    if (!trustAnyOwner && !resolved.procLink &&
        ::fstatat(resolved.folder.Get(), resolved.name.c_str(), &before, AT_SYMLINK_NOFOLLOW) ==
            0) {
      CheckOwnerAndWriters(before, false, path, what, path, false);
    }
    FileDescriptor file(
        ::openat(resolved.folder.Get(), resolved.name.c_str(),
                 O_RDONLY | O_CLOEXEC | O_NOCTTY | (resolved.procLink ? 0 : O_NOFOLLOW)));
    if (!file.IsOpen()) throw ReadError(errno, what, path);
    CheckOpened(file.Get(), what, path, trustAnyOwner);
    m_Handle = file.Release();
  } else {
    CheckOpened(STDIN_FILENO, what, path, trustAnyOwner);
  }
}

std::optional<FileIdentity> SecretFile::Identity() const {
  return IdentityOfHandle(m_Handle);
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
