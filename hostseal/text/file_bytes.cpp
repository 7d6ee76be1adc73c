#include "hostseal/text/file_bytes.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"

namespace hostseal {

namespace {

// An open file descriptor, closed when the object goes.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : m_Fd(fd) {}
  ~FileDescriptor() {
    if (m_Fd >= 0) ::close(m_Fd);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int Get() const { return m_Fd; }

 private:
  int m_Fd;
};

[[noreturn]] void RaiseFileError(ErrorNumber number, const char* what, const std::string& path) {
  throw RaisedError(number, std::string(what) + ": " + path);
}

[[noreturn]] void RaiseErrno(int error, const std::string& path) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      RaiseFileError(ErrorNumber::kFileNotFound, "File not found", path);
    case EACCES:
    case EPERM:
    case EROFS:
      RaiseFileError(ErrorNumber::kPermissionDenied, "Permission denied", path);
    case ENAMETOOLONG:
      RaiseFileError(ErrorNumber::kBadFileNameOrNumber, "Bad file name or number", path);
    case EIO:
      RaiseFileError(ErrorNumber::kDeviceIoError, "Device I/O error", path);
    default:
      throw RaisedError(ErrorNumber::kPathFileAccessError,
                        "Path/File access error: " + path + " (" + std::strerror(error) + ")");
  }
}

// The UTF-8 path of a file name, or error 52 for a name that no path can carry.
std::string PathOf(const std::u16string& name) {
  std::string path = ToUtf8(name);
  const auto bad = [&path] {
    RaiseFileError(ErrorNumber::kBadFileNameOrNumber, "Bad file name or number", path);
  };
  if (name.empty()) bad();
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char16_t c = name[i];
    const bool high = c >= 0xD800 && c <= 0xDBFF;
    const bool low = c >= 0xDC00 && c <= 0xDFFF;
    if (high && i + 1 < name.size() && name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF) {
      ++i;  // a surrogate pair
    } else if (c == 0 || high || low) {
      bad();
    }
  }
  return path;
}

}  // namespace

void LoadFileBytes(const std::u16string& sFileName, ByteArray& aData, std::int16_t& nSize) {
  const std::string path = PathOf(sFileName);
  // Without O_NONBLOCK, opening a FIFO would wait for a writer, possibly forever; for a
  // regular file the flag changes nothing.
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (file.Get() < 0) RaiseErrno(errno, path);

  struct stat status {};
  if (::fstat(file.Get(), &status) != 0) RaiseErrno(errno, path);
  if (S_ISDIR(status.st_mode)) RaiseErrno(EISDIR, path);
  // Only a regular file has a length to read by: a FIFO, socket or device reports none (or 0),
  // which would pass for an empty file.
  if (!S_ISREG(status.st_mode)) {
    throw RaisedError(ErrorNumber::kPathFileAccessError,
                      "Path/File access error: " + path + " (not a regular file)");
  }
  ::fcntl(file.Get(), F_SETFL, ::fcntl(file.Get(), F_GETFL) & ~O_NONBLOCK);
  if (status.st_size > std::numeric_limits<std::int16_t>::max()) throw RaisedError::Overflow();
  const auto size = static_cast<std::size_t>(status.st_size);

  // One element more than the file has bytes; the last one stays zero.
  std::vector<Byte> bytes(size + 1, 0);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = ::read(file.Get(), bytes.data() + done, size - done);
    if (got < 0) {
      if (errno == EINTR) continue;
      RaiseErrno(EIO, path);
    }
    // The file shrank since its length was taken: its end is missing.
    if (got == 0) RaiseErrno(EIO, path);
    done += static_cast<std::size_t>(got);
  }
  aData = ByteArray(std::move(bytes));
  nSize = static_cast<std::int16_t>(size);
}

}  // namespace hostseal
