#include "hostseal/fs/windows/system_error.hpp"

#include <memory>

#include "hostseal/common/utf8.hpp"
#include "hostseal/fs/file_error.hpp"

namespace hostseal {

ErrorNumber ErrorNumberForSystemError(DWORD error) noexcept {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return ErrorNumber::kFileNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
      return ErrorNumber::kPermissionDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_FILE_TOO_LARGE:
      return ErrorNumber::kDiskFull;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_NOT_READY:
    case ERROR_IO_DEVICE:
      return ErrorNumber::kDeviceIoError;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_HANDLE:
      return ErrorNumber::kBadFileNameOrNumber;
    default:  // ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION and the rest
      return ErrorNumber::kPathFileAccessError;
  }
}

std::string SystemErrorText(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const std::unique_ptr<wchar_t, decltype(&::LocalFree)> owned(buffer, &::LocalFree);
  if (length == 0 || buffer == nullptr) return "error " + std::to_string(error);
  std::u16string text(buffer, buffer + length);
  while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' ')) {
    text.pop_back();
  }
  return ToUtf8(text);
}

RaisedError WindowsFileError(DWORD error, const std::filesystem::path& path) {
  return FileSystemError(ErrorNumberForSystemError(error), path, SystemErrorText(error));
}

}  // namespace hostseal
