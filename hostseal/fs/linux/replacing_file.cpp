#include "hostseal/fs/replacing_file.hpp"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "hostseal/fs/file_error.hpp"
#include "hostseal/fs/linux/file_descriptor.hpp"
#include "hostseal/fs/linux/interrupt_cleanup.hpp"
#include "hostseal/fs/linux/output_target.hpp"
#include "hostseal/fs/linux/temporary_file.hpp"

namespace hostseal {

namespace {

constexpr std::size_t kCopyBuffer = 1 << 20;

// The process's umask, read without changing it where /proc tells (changing it, even for a
// moment, would affect files that other threads create meanwhile).
mode_t ProcessUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) {
      return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
    }
  }
  const mode_t mask = ::umask(077);
  ::umask(mask);
  return mask;
}

// The folder for a result that is written in place later: TMPDIR, else /tmp.
FileDescriptor OpenScratchFolder() {
  const char* folder = std::getenv("TMPDIR");
  if (folder == nullptr || *folder == '\0') folder = "/tmp";
  return FileDescriptor(::open(folder, O_PATH | O_DIRECTORY | O_CLOEXEC));
}

bool FolderRefusesUs(int error) {
  return error == EACCES || error == EPERM;
}

void Fsync(int fd, const std::filesystem::path& path) {
  while (::fsync(fd) != 0) {
    if (errno != EINTR) throw FileSystemError(errno, path);
  }
}

// Copies length bytes from one file to the start of another, in the kernel where it can.
void CopyContent(int from, int to, std::uint64_t length, const std::filesystem::path& path) {
  off_t in = 0;
  off_t out = 0;
  bool kernelCopy = true;
  std::unique_ptr<Byte[]> buffer;
  while (static_cast<std::uint64_t>(out) < length) {
    const auto left = static_cast<std::size_t>(
        std::min<std::uint64_t>(length - static_cast<std::uint64_t>(out), 1U << 30));
    if (kernelCopy) {
      const ssize_t n = ::copy_file_range(from, &in, to, &out, left, 0);
      if (n > 0) continue;
      if (n == 0) throw FileSystemError(ErrorNumber::kDeviceIoError, path, "short copy");
      if (errno == EINTR) continue;
      if (errno != EXDEV && errno != EINVAL && errno != EOPNOTSUPP && errno != ENOSYS) {
        throw FileSystemError(errno, path);
      }
      kernelCopy = false;
      buffer = std::make_unique_for_overwrite<Byte[]>(kCopyBuffer);
    }
    const std::size_t chunk = std::min(left, kCopyBuffer);
    const ssize_t got = ::pread(from, buffer.get(), chunk, in);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) throw FileSystemError(got < 0 ? errno : EIO, path);
    std::size_t done = 0;
    while (done < static_cast<std::size_t>(got)) {
      const ssize_t put = ::pwrite(to, buffer.get() + done, static_cast<std::size_t>(got) - done,
                                   out + static_cast<off_t>(done));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) throw FileSystemError(put < 0 ? errno : EIO, path);
      done += static_cast<std::size_t>(put);
    }
    in += got;
    out += got;
  }
}

}  // namespace

// The Linux way: a temporary file from TemporaryFile in the folder that ResolveOutputTarget
// found, renamed into place, or copied into the target when renaming would lose something.
class ReplacingFile::Platform {
 public:
  Platform(std::filesystem::path target, std::filesystem::perms newFilePermissions);

  void WriteAt(const Byte* data, std::size_t n, std::uint64_t offset) const;
  Way Commit();

  std::filesystem::path m_Target;  // as the caller named it
  std::optional<struct stat> m_Existing;

 private:
  bool CanRename(const struct stat& existing);
  void WriteInPlace();

  OutputTarget m_File;   // the file that is replaced, links followed
  mode_t m_NewMode = 0;  // for a new target
  bool m_InPlace = false;
  FileDescriptor m_TemporaryFolder;  // TMPDIR, when the target's folder cannot take the file
  std::unique_ptr<TemporaryFile> m_Temporary;
};

ReplacingFile::Platform::Platform(std::filesystem::path target,
                                  std::filesystem::perms newFilePermissions)
    : m_Target(std::move(target)) {
  CheckFileName(m_Target);
  try {
    m_File = ResolveOutputTarget(m_Target);
  } catch (const RaisedError& error) {
    // A missing last name is a new file; "not found" on the way means a folder is missing.
    if (error.Number() != static_cast<std::int32_t>(ErrorNumber::kFileNotFound)) throw;
    // The system's reason stays: the bracket that ends the description.
    const std::string& text = error.Description();
    const std::size_t open = text.rfind(" (");
    const std::string reason = open == std::string::npos
                                   ? "No such file or directory"
                                   : text.substr(open + 2, text.size() - open - 3);
    throw OutputFolderNotFound(m_Target, reason);
  }
  const int folder = m_File.folder.Get();
  const char* name = m_File.name.c_str();

  struct stat existing {};
  if (::fstatat(folder, name, &existing, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISDIR(existing.st_mode)) throw FileSystemError(EISDIR, m_Target);
    if (!S_ISREG(existing.st_mode)) {
      throw FileSystemError(ErrorNumber::kPathFileAccessError, m_Target, "not a regular file");
    }
    // A file the caller may not write to is not replaced either, though its folder may allow
    // a rename over it.
    if (::faccessat(folder, name, W_OK, AT_EACCESS) != 0) throw FileSystemError(errno, m_Target);
    // Nor one that another user put in a shared folder, or linked there.
    RequireWritableTarget(folder, existing, m_Target);
    m_Existing = existing;
  } else if (errno != ENOENT) {
    throw FileSystemError(errno, m_Target);
  }
  m_NewMode = static_cast<mode_t>(newFilePermissions) & 0777 & ~ProcessUmask();

  int error = 0;
  m_Temporary = TemporaryFile::Create(folder, m_File.name, false, error);
  if (!m_Temporary && m_Existing && FolderRefusesUs(error)) {
    // A writable file in a folder that is not: its content is replaced in place, from a
    // complete copy built elsewhere.
    m_InPlace = true;
    m_TemporaryFolder = OpenScratchFolder();
    if (!m_TemporaryFolder.IsOpen()) throw FileSystemError(error, m_Target);
    m_Temporary = TemporaryFile::Create(m_TemporaryFolder.Get(), m_File.name, true, error);
  }
  if (!m_Temporary && error == ENOENT) {
    // The folder is open, yet a new file cannot be made in it: a pseudo file system.
    throw FileSystemError(ErrorNumber::kPathFileAccessError, m_Target,
                          "its folder takes no new files, as in /proc and /sys; the output is "
                          "built beside its target");
  }
  if (!m_Temporary) throw FileSystemError(error, m_Target);
}

void ReplacingFile::Platform::WriteAt(const Byte* data, std::size_t n, std::uint64_t offset) const {
  // A write past the process's file-size limit would raise SIGXFSZ, whose default action ends
  // the process; such a write fails here instead, as the call would have with the signal
  // ignored.
  rlimit limit{};
  if (n > 0 && ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      offset + n > static_cast<std::uint64_t>(limit.rlim_cur)) {
    throw FileSystemError(EFBIG, m_Target);
  }
  const int fd = m_Temporary->Descriptor();
  const auto start = static_cast<off_t>(offset);
  const auto length = static_cast<off_t>(n);
  while (n > 0) {
    const ssize_t put = ::pwrite(fd, data, n, static_cast<off_t>(offset));
    if (put < 0) {
      if (errno == EINTR) continue;
      throw FileSystemError(errno, m_Target);
    }
    if (put == 0) throw FileSystemError(EIO, m_Target);
    data += put;
    n -= static_cast<std::size_t>(put);
    offset += static_cast<std::uint64_t>(put);
  }
  // Lets the disk start on these bytes now, while later ones are being prepared, instead of
  // leaving all of them to the flush in Commit(). Only a hint: it neither waits nor fails.
  if (!m_InPlace) ::sync_file_range(fd, start, length, SYNC_FILE_RANGE_WRITE);
}

bool ReplacingFile::Platform::CanRename(const struct stat& existing) {
  // Other names of the file would keep the old content.
  if (existing.st_nlink > 1) return false;
  // Owner and group carry over only where this process may set them (root, or a group of its
  // own); otherwise the file is written in place and keeps them.
  const int fd = m_Temporary->Descriptor();
  struct stat created {};
  if (::fstat(fd, &created) != 0) throw FileSystemError(errno, m_Target);
  if ((created.st_uid != existing.st_uid || created.st_gid != existing.st_gid) &&
      ::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
    return false;
  }
  return true;
}

ReplacingFile::Way ReplacingFile::Platform::Commit() {
  if (!m_InPlace && m_Existing) {
    // The file at the target now, which may have gained links since.
    struct stat existing {};
    if (::fstatat(m_File.folder.Get(), m_File.name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(existing.st_mode)) {
      RequireWritableTarget(m_File.folder.Get(), existing, m_Target);
      m_Existing = existing;
      m_InPlace = !CanRename(existing);
    }
  }
  if (m_InPlace) {
    WriteInPlace();
    m_Temporary.reset();
    return Way::kInPlace;
  }

  const int fd = m_Temporary->Descriptor();
  // The final mode only now that the content is complete: the file was private until here. It
  // is set before the file gets a name, so that a file SIGKILL leaves under its temporary name
  // (temporary_file.hpp) has no wider mode than the target's.
  const mode_t mode = m_Existing ? (m_Existing->st_mode & 07777) : m_NewMode;
  if (::fchmod(fd, mode) != 0) throw FileSystemError(errno, m_Target);
  Fsync(fd, m_Target);
  if (const int error = m_Temporary->LinkInto(m_File.name); error != 0) {
    throw FileSystemError(error, m_Target);
  }
  m_Temporary.reset();

  // The new name reaches the disk with the folder; a folder that cannot be flushed (some file
  // systems refuse) still holds the complete file.
  const FileDescriptor folder(
      ::openat(m_File.folder.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.IsOpen()) ::fsync(folder.Get());
  return Way::kRename;
}

void ReplacingFile::Platform::WriteInPlace() {
  const int from = m_Temporary->Descriptor();
  struct stat built {};
  if (::fstat(from, &built) != 0) throw FileSystemError(errno, m_Target);
  const auto length = static_cast<std::uint64_t>(built.st_size);

  FileDescriptor to(::openat(m_File.folder.Get(), m_File.name.c_str(),
                             O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!to.IsOpen()) throw FileSystemError(errno, m_Target);
  struct stat target {};
  if (::fstat(to.Get(), &target) != 0) throw FileSystemError(errno, m_Target);
  if (!S_ISREG(target.st_mode) || target.st_dev != m_Existing->st_dev ||
      target.st_ino != m_Existing->st_ino) {
    throw FileSystemError(ErrorNumber::kPathFileAccessError, m_Target,
                          "another file took its place while it was being prepared");
  }

  // Space first, so that a full disk is found before a byte of the target has changed.
  if (length > 0) {
    if (::fallocate(to.Get(), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(length)) != 0 &&
        errno != EOPNOTSUPP && errno != EINVAL && errno != ENOSYS) {
      throw FileSystemError(errno, m_Target);
    }
  }
  // Every signal that ends the process waits from here until the target is complete; only
  // SIGKILL or a power cut can leave it partly written.
  const DeferredInterrupts deferred;
  CopyContent(from, to.Get(), length, m_Target);
  if (::ftruncate(to.Get(), static_cast<off_t>(length)) != 0) {
    throw FileSystemError(errno, m_Target);
  }
  Fsync(to.Get(), m_Target);
  if (const int error = to.Close(); error != 0) throw FileSystemError(error, m_Target);
}

ReplacingFile::ReplacingFile(std::filesystem::path target,
                             std::filesystem::perms newFilePermissions)
    : m_Platform(std::make_unique<Platform>(std::move(target), newFilePermissions)) {}

ReplacingFile::~ReplacingFile() = default;

const std::filesystem::path& ReplacingFile::Target() const noexcept {
  return m_Platform->m_Target;
}

bool ReplacingFile::TargetExisted() const noexcept {
  return m_Platform->m_Existing.has_value();
}

void ReplacingFile::WriteAt(const Byte* data, std::size_t n, std::uint64_t offset) const {
  m_Platform->WriteAt(data, n, offset);
}

ReplacingFile::Way ReplacingFile::Commit() {
  return m_Platform->Commit();
}

}  // namespace hostseal
