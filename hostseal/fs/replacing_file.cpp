#include "hostseal/fs/replacing_file.hpp"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <random>
#include <string>
#include <system_error>
#include <utility>

#include "hostseal/fs/file_error.hpp"

namespace hostseal {

namespace {

constexpr std::string_view kCreateAction = "cannot create";
constexpr std::string_view kWriteAction = "cannot write";
constexpr std::string_view kReplaceAction = "cannot replace";

// Leaves room for the prefix and suffix within the usual 255-byte limit of a name.
constexpr std::size_t kNameKept = 200;
constexpr int kNameAttempts = 100;

std::string RandomSuffix() {
  static constexpr std::string_view kDigits = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::random_device device;
  std::uniform_int_distribution<std::size_t> pick(0, kDigits.size() - 1);
  std::string suffix(8, '0');
  for (char& c : suffix) c = kDigits[pick(device)];
  return suffix;
}

// Follows symbolic links to the file they name, so that a link itself stays in place (and a
// link to a file not yet there creates that file).
std::filesystem::path ResolveLinks(const std::filesystem::path& target) {
  constexpr int kMaxLinks = 40;
  std::filesystem::path file = target;
  for (int depth = 0; depth < kMaxLinks; ++depth) {
    struct stat info {};
    if (::lstat(file.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return file;
    std::error_code error;
    std::filesystem::path link = std::filesystem::read_symlink(file, error);
    if (error) throw FileSystemError(error.value(), kCreateAction, target);
    file = link.is_absolute() ? link : file.parent_path() / link;
  }
  throw FileSystemError(ELOOP, kCreateAction, target);
}

}  // namespace

ReplacingFile::ReplacingFile(std::filesystem::path target) : m_Target(std::move(target)) {
  CheckFileName(m_Target);
  m_File = ResolveLinks(m_Target);
  const std::filesystem::path& file = m_File;

  struct stat existing {};
  bool exists = false;
  if (::stat(file.c_str(), &existing) == 0) {
    exists = true;
    if (S_ISDIR(existing.st_mode)) throw FileSystemError(EISDIR, kCreateAction, m_Target);
    if (!S_ISREG(existing.st_mode)) {
      throw FileSystemError(ErrorNumber::kPathFileAccessError, kReplaceAction, m_Target,
                            "not a regular file");
    }
    // Renaming only needs the folder to be writable; a file that could not be opened for
    // writing is not replaced either.
    if (::access(file.c_str(), W_OK) != 0) throw FileSystemError(errno, kCreateAction, m_Target);
  } else if (errno != ENOENT) {
    throw FileSystemError(errno, kCreateAction, m_Target);
  }

  const std::string name = file.filename().native();
  if (name.empty() || name == "." || name == "..") {
    throw FileSystemError(EISDIR, kCreateAction, m_Target);
  }
  const std::filesystem::path folder = file.parent_path();

  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < kNameAttempts; ++attempt) {
    m_Temporary = folder / ("." + name.substr(0, kNameKept) + "." + RandomSuffix() + ".tmp");
    fd = ::open(m_Temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0 && errno != EEXIST && errno != EINTR) break;
  }
  if (fd < 0) {
    const int error = errno;
    m_Temporary.clear();
    throw FileSystemError(error, kCreateAction, m_Target);
  }
  m_Fd = FileDescriptor(fd);

  if (exists) {
    // Owner and group carry over where this process may set them; the permission bits must
    // carry over, or a private file could come back readable by others.
    struct stat created {};
    if (::fstat(fd, &created) == 0 &&
        (created.st_uid != existing.st_uid || created.st_gid != existing.st_gid)) {
      static_cast<void>(::fchown(fd, existing.st_uid, existing.st_gid));
    }
    if (::fchmod(fd, existing.st_mode & 07777) != 0) {
      const int error = errno;
      RemoveTemporary();
      throw FileSystemError(error, kCreateAction, m_Target);
    }
  }
}

ReplacingFile::~ReplacingFile() {
  if (!m_Committed) RemoveTemporary();
}

void ReplacingFile::RemoveTemporary() noexcept {
  m_Fd.Close();
  if (!m_Temporary.empty()) {
    ::unlink(m_Temporary.c_str());
    m_Temporary.clear();
  }
}

void ReplacingFile::WriteAt(const Byte* data, std::size_t n, std::uint64_t offset) const {
  // A write past the process's file-size limit would raise SIGXFSZ, whose default action ends
  // the process; such a write fails here instead, as the call would have with the signal
  // ignored.
  rlimit limit{};
  if (n > 0 && ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      offset + n > static_cast<std::uint64_t>(limit.rlim_cur)) {
    throw FileSystemError(EFBIG, kWriteAction, m_Target);
  }
  const auto start = static_cast<off_t>(offset);
  const auto length = static_cast<off_t>(n);
  while (n > 0) {
    const ssize_t put = ::pwrite(m_Fd.Get(), data, n, static_cast<off_t>(offset));
    if (put < 0) {
      if (errno == EINTR) continue;
      throw FileSystemError(errno, kWriteAction, m_Target);
    }
    if (put == 0) throw FileSystemError(EIO, kWriteAction, m_Target);
    data += put;
    n -= static_cast<std::size_t>(put);
    offset += static_cast<std::uint64_t>(put);
  }
  // Lets the disk start on these bytes now, while later ones are being prepared, instead of
  // leaving all of them to the flush in Commit(). Only a hint: it neither waits nor fails.
  ::sync_file_range(m_Fd.Get(), start, length, SYNC_FILE_RANGE_WRITE);
}

void ReplacingFile::Commit() {
  int error = 0;
  while (::fsync(m_Fd.Get()) != 0) {
    if (errno != EINTR) {
      error = errno;
      break;
    }
  }
  if (error == 0) error = m_Fd.Close();
  if (error == 0 && ::rename(m_Temporary.c_str(), m_File.c_str()) != 0) {
    const int renameError = errno;
    RemoveTemporary();
    throw FileSystemError(renameError, kReplaceAction, m_Target);
  }
  if (error != 0) {
    RemoveTemporary();
    throw FileSystemError(error, kWriteAction, m_Target);
  }
  m_Committed = true;
  m_Temporary.clear();

  // The rename itself reaches the disk with the folder; a folder that cannot be flushed
  // (some file systems refuse) still holds the complete file.
  std::filesystem::path folder = m_File.parent_path();
  if (folder.empty()) folder = ".";
  const FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.IsOpen()) ::fsync(directory.Get());
}

}  // namespace hostseal
