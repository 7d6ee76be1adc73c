#include "hostseal/fs/windows/system_error.hpp"

#include <memory>

#include "hostseal/common/utf8.hpp"
#include "hostseal/fs/file_error.hpp"

namespace hostseal {

namespace {

// What a Windows code means: the number it gives, and the words Linux (strerror) uses for the
// same failure, so that a file error reads the same on both systems. Codes not here give 75
// and the system's own text.
struct Meaning {
  DWORD error;
  ErrorNumber number;
  const char* words;
};

constexpr Meaning kMeanings[] = {
    {ERROR_FILE_NOT_FOUND, ErrorNumber::kFileNotFound, "No such file or directory"},
    {ERROR_PATH_NOT_FOUND, ErrorNumber::kFileNotFound, "No such file or directory"},
    {ERROR_INVALID_DRIVE, ErrorNumber::kFileNotFound, "No such file or directory"},
    {ERROR_BAD_NETPATH, ErrorNumber::kFileNotFound, "No such file or directory"},
    {ERROR_BAD_NET_NAME, ErrorNumber::kFileNotFound, "No such file or directory"},
    {ERROR_ACCESS_DENIED, ErrorNumber::kPermissionDenied, "Permission denied"},
    {ERROR_NETWORK_ACCESS_DENIED, ErrorNumber::kPermissionDenied, "Permission denied"},
    {ERROR_PRIVILEGE_NOT_HELD, ErrorNumber::kPermissionDenied, "Operation not permitted"},
    {ERROR_WRITE_PROTECT, ErrorNumber::kPermissionDenied, "Read-only file system"},
    {ERROR_DISK_FULL, ErrorNumber::kDiskFull, "No space left on device"},
    {ERROR_HANDLE_DISK_FULL, ErrorNumber::kDiskFull, "No space left on device"},
    {ERROR_FILE_TOO_LARGE, ErrorNumber::kDiskFull, "File too large"},
    {ERROR_CRC, ErrorNumber::kDeviceIoError, "Input/output error"},
    {ERROR_READ_FAULT, ErrorNumber::kDeviceIoError, "Input/output error"},
    {ERROR_WRITE_FAULT, ErrorNumber::kDeviceIoError, "Input/output error"},
    {ERROR_NOT_READY, ErrorNumber::kDeviceIoError, "Input/output error"},
    {ERROR_IO_DEVICE, ErrorNumber::kDeviceIoError, "Input/output error"},
    {ERROR_INVALID_NAME, ErrorNumber::kBadFileNameOrNumber, "Invalid argument"},
    {ERROR_BAD_PATHNAME, ErrorNumber::kBadFileNameOrNumber, "Invalid argument"},
    {ERROR_FILENAME_EXCED_RANGE, ErrorNumber::kBadFileNameOrNumber, "File name too long"},
    {ERROR_INVALID_HANDLE, ErrorNumber::kBadFileNameOrNumber, "Bad file descriptor"},
    // A file in use by another program is 75, as everything else.
    {ERROR_SHARING_VIOLATION, ErrorNumber::kPathFileAccessError, "Device or resource busy"},
    {ERROR_LOCK_VIOLATION, ErrorNumber::kPathFileAccessError, "Device or resource busy"},
    {ERROR_BUSY, ErrorNumber::kPathFileAccessError, "Device or resource busy"},
    {ERROR_FILE_EXISTS, ErrorNumber::kPathFileAccessError, "File exists"},
    {ERROR_ALREADY_EXISTS, ErrorNumber::kPathFileAccessError, "File exists"},
    {ERROR_INVALID_PARAMETER, ErrorNumber::kPathFileAccessError, "Invalid argument"},
    {ERROR_DIRECTORY, ErrorNumber::kPathFileAccessError, "Not a directory"},
    {ERROR_DIR_NOT_EMPTY, ErrorNumber::kPathFileAccessError, "Directory not empty"},
    {ERROR_CANT_RESOLVE_FILENAME, ErrorNumber::kPathFileAccessError,
     "Too many levels of symbolic links"},
    {ERROR_NOT_SAME_DEVICE, ErrorNumber::kPathFileAccessError, "Invalid cross-device link"},
    {ERROR_TOO_MANY_OPEN_FILES, ErrorNumber::kPathFileAccessError, "Too many open files"},
    {ERROR_NOT_ENOUGH_MEMORY, ErrorNumber::kPathFileAccessError, "Cannot allocate memory"},
    {ERROR_OUTOFMEMORY, ErrorNumber::kPathFileAccessError, "Cannot allocate memory"},
    {ERROR_BROKEN_PIPE, ErrorNumber::kPathFileAccessError, "Broken pipe"},
    {ERROR_NO_DATA, ErrorNumber::kPathFileAccessError, "Broken pipe"},
    {ERROR_NOT_SUPPORTED, ErrorNumber::kPathFileAccessError, "Operation not supported"},
};

const Meaning* MeaningOf(DWORD error) noexcept {
  for (const Meaning& meaning : kMeanings) {
    if (meaning.error == error) return &meaning;
  }
  return nullptr;
}

}  // namespace

ErrorNumber ErrorNumberForSystemError(DWORD error) noexcept {
  const Meaning* meaning = MeaningOf(error);
  return meaning != nullptr ? meaning->number : ErrorNumber::kPathFileAccessError;
}

std::string SystemErrorText(DWORD error) {
  if (const Meaning* meaning = MeaningOf(error)) return meaning->words;
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
