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
#include "hostseal/fs/linux/output_target.hpp"
#include "hostseal/fs/linux/temporary_file.hpp"
#include "hostseal/fs/replacing_file_system.hpp"

namespace hostseal {

namespace {

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

}  // namespace

// The Linux way: a temporary file from TemporaryFile in the folder that ResolveOutputTarget
// found, renamed into place, or copied into the target when renaming would lose something.
class ReplacingFile::Platform {
 public:
  Platform(const std::filesystem::path& target, std::filesystem::perms newFilePermissions);

  bool CanRename(const struct stat& existing, const std::filesystem::path& path);

  OutputTarget m_File;  // the file that is replaced, links followed
  std::optional<struct stat> m_Existing;
  mode_t m_NewMode = 0;  // for a new target
  bool m_InPlace = false;
  FileDescriptor m_TemporaryFolder;  // TMPDIR, when the target's folder cannot take the file
  std::unique_ptr<TemporaryFile> m_Temporary;
  FileDescriptor m_To;  // the target, while it is written in place
};

ReplacingFile::Platform::Platform(const std::filesystem::path& target,
                                  std::filesystem::perms newFilePermissions) {
  CheckFileName(target);
  try {
    m_File = ResolveOutputTarget(target);
  } catch (const RaisedError& error) {
    // A missing last name is a new file; "not found" on the way means a folder is missing.
    if (error.Number() != static_cast<std::int32_t>(ErrorNumber::kFileNotFound)) throw;
    // The system's reason stays: the bracket that ends the description.
    const std::string& text = error.Description();
    const std::size_t open = text.rfind(" (");
    const std::string reason = open == std::string::npos
                                   ? "No such file or directory"
                                   : text.substr(open + 2, text.size() - open - 3);
    throw OutputFolderNotFound(target, reason);
  }
  const int folder = m_File.folder.Get();
  const char* name = m_File.name.c_str();

  struct stat existing {};
  if (::fstatat(folder, name, &existing, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISDIR(existing.st_mode)) throw FileSystemError(EISDIR, target);
    if (!S_ISREG(existing.st_mode)) {
      throw FileSystemError(ErrorNumber::kPathFileAccessError, target, "not a regular file");
    }
    // A file the caller may not write to is not replaced either, though its folder may allow
    // a rename over it.
    if (::faccessat(folder, name, W_OK, AT_EACCESS) != 0) throw FileSystemError(errno, target);
    // Nor one that another user put in a shared folder, or linked there.
    RequireWritableTarget(folder, existing, target);
    m_Existing = existing;
  } else if (errno != ENOENT) {
    throw FileSystemError(errno, target);
  }
  m_NewMode = static_cast<mode_t>(newFilePermissions) & 0777 & ~ProcessUmask();

  int error = 0;
  m_Temporary = TemporaryFile::Create(folder, m_File.name, false, error);
  if (!m_Temporary && m_Existing && FolderRefusesUs(error)) {
    // A writable file in a folder that is not: its content is replaced in place, from a
    // complete copy built elsewhere.
    m_InPlace = true;
    m_TemporaryFolder = OpenScratchFolder();
    if (!m_TemporaryFolder.IsOpen()) throw FileSystemError(error, target);
    m_Temporary = TemporaryFile::Create(m_TemporaryFolder.Get(), m_File.name, true, error);
  }
  if (!m_Temporary && error == ENOENT) {
    // The folder is open, yet a new file cannot be made in it: a pseudo file system.
    throw FileSystemError(ErrorNumber::kPathFileAccessError, target,
                          "its folder takes no new files, as in /proc and /sys; the output is "
                          "built beside its target");
  }
  if (!m_Temporary) throw FileSystemError(error, target);
}

bool ReplacingFile::Platform::CanRename(const struct stat& existing,
                                        const std::filesystem::path& path) {
  // Other names of the file would keep the old content.
  if (existing.st_nlink > 1) return false;
  // Owner and group carry over only where this process may set them (root, or a group of its
  // own); otherwise the file is written in place and keeps them.
  const int fd = m_Temporary->Descriptor();
  struct stat created {};
  if (::fstat(fd, &created) != 0) throw FileSystemError(errno, path);
  if ((created.st_uid != existing.st_uid || created.st_gid != existing.st_gid) &&
      ::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
    return false;
  }
  return true;
}

ReplacingFile::ReplacingFile(std::filesystem::path target,
                             std::filesystem::perms newFilePermissions)
    : m_Target(std::move(target)),
      m_Platform(std::make_unique<Platform>(m_Target, newFilePermissions)) {
  m_Existed = m_Platform->m_Existing.has_value();
}

ReplacingFile::~ReplacingFile() = default;

std::optional<std::size_t> ReplacingFile::System::WriteSomeAt(const Platform& platform, File file,
                                                              const Byte* data, std::size_t n,
                                                              std::uint64_t offset,
                                                              const std::filesystem::path& path) {
  const int fd = file == File::kBuilt ? platform.m_Temporary->Descriptor() : platform.m_To.Get();
  const ssize_t put = ::pwrite(fd, data, n, static_cast<off_t>(offset));
  if (put > 0) return static_cast<std::size_t>(put);
  if (put < 0 && errno == EINTR) return std::nullopt;
  throw FileSystemError(put < 0 ? errno : EIO, path);
}

void ReplacingFile::System::RequireRoom(std::size_t n, std::uint64_t offset,
                                        const std::filesystem::path& path) {
  // A write past the process's file-size limit would raise SIGXFSZ, whose default action ends
  // the process; such a write fails here instead, as the call would have with the signal
  // ignored.
  rlimit limit{};
  if (n > 0 && ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      offset + n > static_cast<std::uint64_t>(limit.rlim_cur)) {
    throw FileSystemError(EFBIG, path);
  }
}

void ReplacingFile::System::StartWriteBack(const Platform& platform, std::uint64_t offset,
                                           std::size_t n) noexcept {
  // Lets the disk start on these bytes now, while later ones are being prepared, instead of
  // leaving all of them to the flush in Commit(). Only a hint: it neither waits nor fails.
  if (!platform.m_InPlace) {
    ::sync_file_range(platform.m_Temporary->Descriptor(), static_cast<off_t>(offset),
                      static_cast<off_t>(n), SYNC_FILE_RANGE_WRITE);
  }
}

bool ReplacingFile::System::MustWriteInPlace(Platform& platform,
                                             const std::filesystem::path& path) {
  if (!platform.m_InPlace && platform.m_Existing) {
    // The file at the target now, which may have gained links since.
    const int folder = platform.m_File.folder.Get();
    struct stat existing {};
    if (::fstatat(folder, platform.m_File.name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(existing.st_mode)) {
      RequireWritableTarget(folder, existing, path);
      platform.m_Existing = existing;
      platform.m_InPlace = !platform.CanRename(existing, path);
    }
  }
  return platform.m_InPlace;
}

void ReplacingFile::System::Rename(Platform& platform, const std::filesystem::path& path) {
  const int fd = platform.m_Temporary->Descriptor();
  // The final mode only now that the content is complete: the file was private until here. It
  // is set before the file gets a name, so that a file SIGKILL leaves under its temporary name
  // (temporary_file.hpp) has no wider mode than the target's.
  const mode_t mode =
      platform.m_Existing ? (platform.m_Existing->st_mode & 07777) : platform.m_NewMode;
  if (::fchmod(fd, mode) != 0) throw FileSystemError(errno, path);
  Fsync(fd, path);
  if (const int error = platform.m_Temporary->LinkInto(platform.m_File.name); error != 0) {
    throw FileSystemError(error, path);
  }
  platform.m_Temporary.reset();

  // The new name reaches the disk with the folder; a folder that cannot be flushed (some file
  // systems refuse) still holds the complete file.
  const FileDescriptor folder(
      ::openat(platform.m_File.folder.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.IsOpen()) ::fsync(folder.Get());
}

void ReplacingFile::System::DropBuilt(Platform& platform) noexcept {
  platform.m_Temporary.reset();
}

std::uint64_t ReplacingFile::System::BuiltLength(const Platform& platform,
                                                 const std::filesystem::path& path) {
  struct stat built {};
  if (::fstat(platform.m_Temporary->Descriptor(), &built) != 0) {
    throw FileSystemError(errno, path);
  }
  return static_cast<std::uint64_t>(built.st_size);
}

bool ReplacingFile::System::OpenTarget(Platform& platform, const std::filesystem::path& path) {
  platform.m_To =
      FileDescriptor(::openat(platform.m_File.folder.Get(), platform.m_File.name.c_str(),
                              O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!platform.m_To.IsOpen()) throw FileSystemError(errno, path);
  struct stat target {};
  if (::fstat(platform.m_To.Get(), &target) != 0) throw FileSystemError(errno, path);
  return S_ISREG(target.st_mode) && target.st_dev == platform.m_Existing->st_dev &&
         target.st_ino == platform.m_Existing->st_ino;
}

bool ReplacingFile::System::Reserve(Platform& platform, std::uint64_t length,
                                    const std::filesystem::path& path) {
  if (length > 0) {
    int result = 0;
    do {  // a handled signal may cut a long reservation short
      result = ::fallocate(platform.m_To.Get(), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(length));
    } while (result != 0 && errno == EINTR);
    if (result != 0 && errno != EOPNOTSUPP && errno != EINVAL && errno != ENOSYS) {
      throw FileSystemError(errno, path);
    }
  }
  // Where the file system cannot reserve, the copy finds a full disk as it goes.
  return true;
}

std::uint64_t ReplacingFile::System::CopyInKernel(Platform& platform, std::uint64_t length,
                                                  const std::filesystem::path& path) {
  const int from = platform.m_Temporary->Descriptor();
  off_t in = 0;
  off_t out = 0;
  while (static_cast<std::uint64_t>(out) < length) {
    const auto left = static_cast<std::size_t>(
        std::min<std::uint64_t>(length - static_cast<std::uint64_t>(out), 1U << 30));
    const ssize_t n = ::copy_file_range(from, &in, platform.m_To.Get(), &out, left, 0);
    if (n > 0) continue;
    if (n == 0) throw FileSystemError(ErrorNumber::kDeviceIoError, path, "short copy");
    if (errno == EINTR) continue;
    if (errno != EXDEV && errno != EINVAL && errno != EOPNOTSUPP && errno != ENOSYS) {
      throw FileSystemError(errno, path);
    }
    break;
  }
  return static_cast<std::uint64_t>(out);
}

std::optional<std::size_t> ReplacingFile::System::ReadBuiltAt(const Platform& platform,
                                                              Byte* buffer, std::size_t n,
                                                              std::uint64_t offset,
                                                              const std::filesystem::path& path) {
  const ssize_t got =
      ::pread(platform.m_Temporary->Descriptor(), buffer, n, static_cast<off_t>(offset));
  if (got > 0) return static_cast<std::size_t>(got);
  if (got < 0 && errno == EINTR) return std::nullopt;
  throw FileSystemError(got < 0 ? errno : EIO, path);
}

void ReplacingFile::System::SetTargetLength(Platform& platform, std::uint64_t length,
                                            const std::filesystem::path& path) {
  if (::ftruncate(platform.m_To.Get(), static_cast<off_t>(length)) != 0) {
    throw FileSystemError(errno, path);
  }
}

void ReplacingFile::System::FlushTarget(Platform& platform, const std::filesystem::path& path) {
  Fsync(platform.m_To.Get(), path);
}

void ReplacingFile::System::CloseTarget(Platform& platform, const std::filesystem::path& path) {
  if (const int error = platform.m_To.Close(); error != 0) throw FileSystemError(error, path);
}

void ReplacingFile::System::ForgetTarget(Platform& platform) noexcept {
  platform.m_To.Close();
}

}  // namespace hostseal
