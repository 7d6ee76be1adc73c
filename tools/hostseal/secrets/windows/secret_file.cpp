// SecretFile on Windows: CreateFileW with the file's UTF-16 name in the extended-length form
// (any length), shared for reading, writing and deleting as a POSIX open is; standard input
// through its handle. Reads go straight to the handle, so no more than the first line is taken
// from a pipe. No owner is checked (see secret_file.hpp). A folder is refused with 75 ("The
// directory name is invalid"), as Linux's read of a folder fails with 75.
#include "tools/hostseal/secrets/secret_file.hpp"

#include <windows.h>

#include <algorithm>
#include <string>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/fs/file_name.hpp"
#include "hostseal/fs/windows/extended_length_path.hpp"
#include "hostseal/fs/windows/system_error.hpp"
#include "tools/console/windows/console_text.hpp"

namespace hostseal::cli {

namespace {

RaisedError ReadError(DWORD error, std::string_view what, const std::string& path) {
  return RaisedError(
      ErrorNumberForSystemError(error),
      "Cannot read the " + NamedSecretFile(what, path) + " (" + SystemErrorText(error) + ")");
}

HANDLE AsHandle(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

SecretFile::SecretFile(const std::string& path, std::string_view what, bool /*trustAnyOwner*/)
    : m_Path(path), m_What(what), m_Handle(0), m_Owned(path != "-") {
  if (!m_Owned) {
    m_Handle = reinterpret_cast<std::intptr_t>(StandardHandle(StandardStream::kInput));
    return;
  }
  const std::wstring name = ExtendedLengthPath(PathFromUtf8(path));
  const HANDLE handle = ::CreateFileW(
      name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    DWORD error = ::GetLastError();
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      error = ERROR_DIRECTORY;
    }
    throw ReadError(error, what, path);
  }
  m_Handle = reinterpret_cast<std::intptr_t>(handle);
}

std::optional<FileIdentity> SecretFile::Identity() const {
  return IdentityOfHandle(m_Handle);
}

SecretFile::~SecretFile() {
  if (m_Owned) ::CloseHandle(AsHandle(m_Handle));
}

std::size_t SecretFile::Read(char* buffer, std::size_t size) {
  const HANDLE handle = AsHandle(m_Handle);
  if (handle == nullptr) return 0;  // no standard input at all
  DWORD n = 0;
  const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
  if (::ReadFile(handle, buffer, wanted, &n, nullptr) == 0) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return 0;
    throw ReadError(error, m_What, m_Path);
  }
  return n;
}

}  // namespace hostseal::cli
