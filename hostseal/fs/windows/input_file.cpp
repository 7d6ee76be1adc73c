#include "hostseal/fs/input_file.hpp"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <utility>

#include "hostseal/fs/file_error.hpp"
#include "hostseal/fs/windows/file_handle.hpp"
#include "hostseal/fs/windows/system_error.hpp"

namespace hostseal {

namespace {

constexpr std::string_view kChanged = "the file changed while it was read";
// ReadFile takes a 32-bit count.
constexpr std::size_t kLargestRead = std::size_t{1} << 30;

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

}  // namespace

class InputFile::Handle {
 public:
  explicit Handle(FileHandle file) noexcept : m_File(std::move(file)) {}
  HANDLE Get() const noexcept { return m_File.Get(); }

 private:
  FileHandle m_File;
};

InputFile::InputFile(std::filesystem::path path) : m_Path(std::move(path)) {
  CheckFileName(m_Path);
  const DWORD attributes = ::GetFileAttributesW(m_Path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) throw WindowsFileError(::GetLastError(), m_Path);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    throw FileSystemError(ErrorNumber::kPathFileAccessError, m_Path, "Is a directory");
  }
  // Others may go on reading, writing and even renaming the file; RequireUnchanged() tells
  // whether they changed what was read.
  FileHandle file(::CreateFileW(m_Path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.IsOpen()) throw WindowsFileError(::GetLastError(), m_Path);
  // Devices (CON, NUL, COM1, pipes) open under any name; only disk files have a length.
  if (::GetFileType(file.Get()) != FILE_TYPE_DISK) {
    throw FileSystemError(ErrorNumber::kPathFileAccessError, m_Path, "not a regular file");
  }
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.Get(), &size)) throw WindowsFileError(::GetLastError(), m_Path);
  m_Size = static_cast<std::uint64_t>(size.QuadPart);
  m_Permissions = (attributes & FILE_ATTRIBUTE_READONLY) != 0
                      ? std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                            std::filesystem::perms::others_read
                      : std::filesystem::perms::all;
  m_Handle = std::make_unique<Handle>(std::move(file));
}

InputFile::~InputFile() = default;

void InputFile::ReadAt(Byte* buffer, std::size_t n, std::uint64_t offset) const {
  if (ReadUpTo(buffer, n, offset) != n) {
    throw FileSystemError(ErrorNumber::kPathFileAccessError, m_Path, kChanged);
  }
}

std::size_t InputFile::ReadUpTo(Byte* buffer, std::size_t n, std::uint64_t offset) const {
  std::size_t done = 0;
  while (done < n) {
    // The position goes with each read, so threads reading different parts do not meet.
    OVERLAPPED at = At(offset + done);
    DWORD got = 0;
    const auto ask = static_cast<DWORD>(std::min(n - done, kLargestRead));
    if (!::ReadFile(m_Handle->Get(), buffer + done, ask, &got, &at)) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_HANDLE_EOF) break;
      throw WindowsFileError(error, m_Path);
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}

void InputFile::RequireUnchanged() const {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(m_Handle->Get(), &size)) throw WindowsFileError(::GetLastError(), m_Path);
  Byte beyond = 0;
  if (static_cast<std::uint64_t>(size.QuadPart) != m_Size ||
      (m_Size > 0 && ReadUpTo(&beyond, 1, m_Size) != 0)) {
    throw FileSystemError(ErrorNumber::kPathFileAccessError, m_Path, kChanged);
  }
}

}  // namespace hostseal
