#include "hostseal/fs/input_file.hpp"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <utility>

#include "hostseal/fs/file_error.hpp"
#include "hostseal/fs/input_file_system.hpp"
#include "hostseal/fs/linux/file_descriptor.hpp"
#include "hostseal/fs/linux/path_resolution.hpp"

namespace hostseal {

namespace {

// Only regular files have a length to plan by; opening a FIFO could also block forever.
void RequireRegular(const struct stat& info, const std::filesystem::path& path) {
  if (S_ISDIR(info.st_mode)) throw FileSystemError(EISDIR, path);
  if (!S_ISREG(info.st_mode)) {
    throw FileSystemError(ErrorNumber::kPathFileAccessError, path, "not a regular file");
  }
}

bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

class InputFile::Handle {
 public:
  Handle(FileDescriptor fd, const struct stat& opened, bool lengthKnown) noexcept
      : m_Fd(std::move(fd)), m_Opened(opened), m_LengthKnown(lengthKnown) {}
  int Get() const noexcept { return m_Fd.Get(); }

  // Its length, when that says what it holds; whether it was written since it was opened: its
  // modification time moved, or its change time, which nobody can set back, while its link
  // count stayed (a name removed or added, as when the file is deleted while it is read, moves
  // the change time too, and changes nothing that is read).
  InputFile::System::Standing Measure(const struct stat& now) const noexcept {
    return {m_LengthKnown ? std::optional(static_cast<std::uint64_t>(now.st_size)) : std::nullopt,
            !SameTime(now.st_mtim, m_Opened.st_mtim) ||
                (!SameTime(now.st_ctim, m_Opened.st_ctim) && now.st_nlink == m_Opened.st_nlink)};
  }

 private:
  FileDescriptor m_Fd;
  struct stat m_Opened;
  bool m_LengthKnown;
};

InputFile::InputFile(std::filesystem::path path) : m_Path(std::move(path)) {
  CheckFileName(m_Path);
  // Links on the way are followed on the caller's terms; the file is then opened from its
  // folder, and a link that took its place meanwhile is not followed.
  const ResolvedPath resolved = ResolvePath(m_Path, ProcLinks::kLeaveLast);
  const int folder = resolved.folder.Get();
  const char* name = resolved.name.c_str();
  struct stat info {};
  if (::fstatat(folder, name, &info, resolved.procLink ? 0 : AT_SYMLINK_NOFOLLOW) != 0) {
    throw FileSystemError(errno, m_Path);
  }
  RequireRegular(info, m_Path);

  int fd = -1;
  do {
    // O_NONBLOCK: should a FIFO take the file's place after the check above, opening it
    // returns at once instead of waiting for a writer. Regular files ignore the flag.
    fd = ::openat(
        folder, name,
        O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (resolved.procLink ? 0 : O_NOFOLLOW));
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) throw FileSystemError(errno, m_Path);
  FileDescriptor opened(fd);

  // The length that counts is that of the file actually opened.
  if (::fstat(fd, &info) != 0) throw FileSystemError(errno, m_Path);
  RequireRegular(info, m_Path);
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);  // plain blocking reads from here
  // sysfs gives every attribute the length of a page, whatever it holds: such a file is read
  // to its end as those of /proc are.
  struct statfs where {};
  const bool lengthKnown = ::fstatfs(fd, &where) != 0 || where.f_type != SYSFS_MAGIC;
  m_Size = lengthKnown ? static_cast<std::uint64_t>(info.st_size) : 0;
  m_Permissions = static_cast<std::filesystem::perms>(info.st_mode & 0777);
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  m_Handle = std::make_unique<Handle>(std::move(opened), info, lengthKnown);
}

InputFile::~InputFile() = default;

void InputFile::Close() noexcept {
  m_Handle.reset();
}

std::optional<std::size_t> InputFile::System::ReadSomeAt(const Handle& file, Byte* buffer,
                                                         std::size_t n, std::uint64_t offset,
                                                         const std::filesystem::path& path) {
  const ssize_t got = ::pread(file.Get(), buffer, n, static_cast<off_t>(offset));
  if (got >= 0) return static_cast<std::size_t>(got);
  if (errno == EINTR) return std::nullopt;
  throw FileSystemError(errno, path);
}

InputFile::System::Standing InputFile::System::Now(const Handle& file,
                                                   const std::filesystem::path& path) {
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0) throw FileSystemError(errno, path);
  return file.Measure(info);
}

}  // namespace hostseal
