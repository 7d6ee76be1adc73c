#include "hostseal/fs/input_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <utility>

#include "hostseal/fs/file_error.hpp"
#include "hostseal/fs/linux/file_descriptor.hpp"

namespace hostseal {

namespace {

constexpr std::string_view kChanged = "the file changed while it was read";

// Only regular files have a length to plan by; opening a FIFO could also block forever.
void RequireRegular(const struct stat& info, const std::filesystem::path& path) {
  if (S_ISDIR(info.st_mode)) throw FileSystemError(EISDIR, path);
  if (!S_ISREG(info.st_mode)) {
    throw FileSystemError(ErrorNumber::kPathFileAccessError, path, "not a regular file");
  }
}

}  // namespace

class InputFile::Handle {
 public:
  explicit Handle(FileDescriptor fd) noexcept : m_Fd(std::move(fd)) {}
  int Get() const noexcept { return m_Fd.Get(); }

 private:
  FileDescriptor m_Fd;
};

InputFile::InputFile(std::filesystem::path path) : m_Path(std::move(path)) {
  CheckFileName(m_Path);
  struct stat info {};
  if (::stat(m_Path.c_str(), &info) != 0) throw FileSystemError(errno, m_Path);
  RequireRegular(info, m_Path);

  int fd = -1;
  do {
    // O_NONBLOCK: should a FIFO take the file's place after the check above, opening it
    // returns at once instead of waiting for a writer. Regular files ignore the flag.
    fd = ::open(m_Path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) throw FileSystemError(errno, m_Path);
  m_Handle = std::make_unique<Handle>(FileDescriptor(fd));

  // The length that counts is that of the file actually opened.
  if (::fstat(fd, &info) != 0) throw FileSystemError(errno, m_Path);
  RequireRegular(info, m_Path);
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);  // plain blocking reads from here
  m_Size = static_cast<std::uint64_t>(info.st_size);
  m_Permissions = static_cast<std::filesystem::perms>(info.st_mode & 0777);
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
}

InputFile::~InputFile() = default;

void InputFile::Close() noexcept {
  m_Handle.reset();
}

void InputFile::ReadAt(Byte* buffer, std::size_t n, std::uint64_t offset) const {
  while (n > 0) {
    const ssize_t got = ::pread(m_Handle->Get(), buffer, n, static_cast<off_t>(offset));
    if (got < 0) {
      if (errno == EINTR) continue;
      throw FileSystemError(errno, m_Path);
    }
    if (got == 0) {
      throw FileSystemError(ErrorNumber::kPathFileAccessError, m_Path, kChanged);
    }
    buffer += got;
    n -= static_cast<std::size_t>(got);
    offset += static_cast<std::uint64_t>(got);
  }
}

std::size_t InputFile::ReadUpTo(Byte* buffer, std::size_t n, std::uint64_t offset) const {
  std::size_t done = 0;
  while (done < n) {
    const ssize_t got =
        ::pread(m_Handle->Get(), buffer + done, n - done, static_cast<off_t>(offset + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      throw FileSystemError(errno, m_Path);
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

void InputFile::RequireUnchanged() const {
  struct stat info {};
  if (::fstat(m_Handle->Get(), &info) != 0) throw FileSystemError(errno, m_Path);
  Byte beyond = 0;
  if (static_cast<std::uint64_t>(info.st_size) != m_Size ||
      (m_Size > 0 && ReadUpTo(&beyond, 1, m_Size) != 0)) {
    throw FileSystemError(ErrorNumber::kPathFileAccessError, m_Path, kChanged);
  }
}

}  // namespace hostseal
