#include "hostseal/fs/file_error.hpp"

#include <cerrno>
#include <string>
#include <system_error>

#include "hostseal/common/visible_text.hpp"
#include "hostseal/fs/file_name.hpp"

namespace hostseal {

ErrorNumber ErrorNumberForErrno(int error) noexcept {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return ErrorNumber::kFileNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
      return ErrorNumber::kPermissionDenied;
    case ENOSPC:
#ifdef EDQUOT  // not in the Windows C library
    case EDQUOT:
#endif
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

std::string_view FileErrorDescription(ErrorNumber number) noexcept {
  switch (number) {
    case ErrorNumber::kBadFileNameOrNumber:
      return "Bad file name or number";
    case ErrorNumber::kFileNotFound:
      return "File not found";
    case ErrorNumber::kDeviceIoError:
      return "Device I/O error";
    case ErrorNumber::kDiskFull:
      return "Disk full";
    case ErrorNumber::kPermissionDenied:
      return "Permission denied";
    case ErrorNumber::kOverflow:
      return "Overflow";
    case ErrorNumber::kPathNotFound:
      return "Path not found";
    default:
      return "Path/File access error";
  }
}

RaisedError FileSystemError(ErrorNumber number, const std::filesystem::path& path,
                            std::string_view reason) {
  std::string description(FileErrorDescription(number));
  description += ": \"";
  description += VisibleText(PathToUtf8(path));
  description += "\" (";
  description += reason;
  description += ')';
  return RaisedError(number, std::move(description));
}

RaisedError FileSystemError(int error, const std::filesystem::path& path) {
  return FileSystemError(ErrorNumberForErrno(error), path, std::generic_category().message(error));
}

RaisedError OutputFolderNotFound(const std::filesystem::path& target, std::string_view reason) {
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  return FileSystemError(ErrorNumber::kPathNotFound, folder, reason);
}

void CheckFileName(const std::filesystem::path& path) {
  if (path.empty()) {
    throw RaisedError(ErrorNumber::kBadFileNameOrNumber, "Bad file name or number: \"\" (empty)");
  }
  if (path.native().find(std::filesystem::path::value_type{}) !=
      std::filesystem::path::string_type::npos) {
    throw FileSystemError(ErrorNumber::kBadFileNameOrNumber, path,
                          "the name holds the character U+0000");
  }
}

}  // namespace hostseal
