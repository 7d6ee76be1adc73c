#include "hostseal/fs/file_error.hpp"

#include <cerrno>
#include <string>
#include <system_error>

#include "hostseal/common/utf8.hpp"

namespace hostseal {

ErrorNumber ErrorNumberForErrno(int error) noexcept {
  switch (error) {
    case ENOENT:
      return ErrorNumber::kFileNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
      return ErrorNumber::kPermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return ErrorNumber::kDiskFull;
    case EIO:
    case ENXIO:
    case ENODEV:
      return ErrorNumber::kDeviceIoError;
    case ENAMETOOLONG:
    case EILSEQ:
    case EBADF:
      return ErrorNumber::kBadFileNameOrNumber;
    default:
      return ErrorNumber::kPathFileAccessError;
  }
}

RaisedError FileSystemError(ErrorNumber number, std::string_view action,
                            const std::filesystem::path& path, std::string_view reason) {
  // File names are bytes on Linux; the round trip turns bytes that are not UTF-8 into U+FFFD.
  std::string description(action);
  description += " \"";
  description += ToUtf8(FromUtf8(path.native()));
  description += "\": ";
  description += reason;
  return RaisedError(number, std::move(description));
}

RaisedError FileSystemError(int error, std::string_view action, const std::filesystem::path& path) {
  return FileSystemError(ErrorNumberForErrno(error), action, path,
                         std::generic_category().message(error));
}

void CheckFileName(const std::filesystem::path& path) {
  if (path.empty()) {
    throw RaisedError(ErrorNumber::kBadFileNameOrNumber, "Bad file name or number: empty name");
  }
  if (path.native().find('\0') != std::string::npos) {
    throw FileSystemError(ErrorNumber::kBadFileNameOrNumber, "cannot use", path,
                          "the name holds a NUL character");
  }
}

}  // namespace hostseal
