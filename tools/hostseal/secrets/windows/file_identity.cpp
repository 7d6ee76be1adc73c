// FileIdentity on Windows: GetFileInformationByHandle's volume serial number and file index,
// for files on disk only: what the system gives for a pipe or a console is not documented to
// tell two of them apart, so they have no identity here and standard input is told by the name
// "-" alone.
#include "tools/hostseal/secrets/file_identity.hpp"

#include <windows.h>

#include "hostseal/fs/file_name.hpp"
#include "hostseal/fs/windows/extended_length_path.hpp"
#include "hostseal/fs/windows/file_handle.hpp"
#include "tools/console/windows/console_text.hpp"

namespace hostseal::cli {

std::optional<FileIdentity> IdentityOfHandle(std::intptr_t value) {
  const HANDLE handle = reinterpret_cast<HANDLE>(value);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return std::nullopt;
  if (::GetFileType(handle) != FILE_TYPE_DISK) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION information{};
  if (::GetFileInformationByHandle(handle, &information) == 0) return std::nullopt;
  return FileIdentity{
      information.dwVolumeSerialNumber,
      (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
}

std::optional<FileIdentity> IdentityOfStandardInput() {
  return IdentityOfHandle(reinterpret_cast<std::intptr_t>(StandardHandle(StandardStream::kInput)));
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
  const std::wstring name = ExtendedLengthPath(PathFromUtf8(path));
  const FileHandle file(::CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsOpen()) return std::nullopt;
  return IdentityOfHandle(reinterpret_cast<std::intptr_t>(file.Get()));
}

}  // namespace hostseal::cli
