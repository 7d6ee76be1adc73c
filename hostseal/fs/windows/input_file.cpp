#include "hostseal/fs/input_file.hpp"

#include <windows.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <utility>
#include <vector>

#include "hostseal/fs/file_error.hpp"
#include "hostseal/fs/input_file_system.hpp"
#include "hostseal/fs/windows/extended_length_path.hpp"
#include "hostseal/fs/windows/file_handle.hpp"
#include "hostseal/fs/windows/own_inputs.hpp"
#include "hostseal/fs/windows/system_error.hpp"

namespace hostseal {

namespace {

// ReadFile takes a 32-bit count.
constexpr std::size_t kLargestRead = std::size_t{1} << 30;

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

// Others may go on reading, writing and even renaming the file; RequireUnchanged() tells
// whether they changed what was read.
HANDLE OpenForReading(const std::wstring& name) {
  return ::CreateFileW(name.c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

class OwnInput;

struct OwnInputs {
  std::mutex lock;
  std::vector<OwnInput*> inputs;
};

OwnInputs& TheOwnInputs() {
  static OwnInputs own;
  return own;
}

// One open input, known to CheckWithOwnInputsClosed() while it lives. Its reads hold the lock
// shared; closing it for a check holds it exclusively. It is opened again by the name given to
// the system (made full when it was first opened, so that a change of the current folder does
// not matter), and named in messages as the user gave it.
class OwnInput {
 public:
  OwnInput(FileHandle file, std::wstring systemName, std::filesystem::path path)
      : m_File(std::move(file)),
        m_SystemName(std::move(systemName)),
        m_Path(std::move(path)),
        m_Identity(IdentityOf(m_File.Get())) {
    OwnInputs& own = TheOwnInputs();
    const std::lock_guard guard(own.lock);
    own.inputs.push_back(this);
  }
  OwnInput(const OwnInput&) = delete;
  OwnInput& operator=(const OwnInput&) = delete;
  ~OwnInput() {
    OwnInputs& own = TheOwnInputs();
    const std::lock_guard guard(own.lock);
    own.inputs.erase(std::find(own.inputs.begin(), own.inputs.end(), this));
  }

  DWORD Read(Byte* buffer, DWORD n, std::uint64_t offset, DWORD& got) const {
    const std::shared_lock guard(m_Lock);
    OVERLAPPED at = At(offset);
    return ::ReadFile(m_File.Get(), buffer, n, &got, &at) ? ERROR_SUCCESS : ::GetLastError();
  }

  DWORD Size(LARGE_INTEGER& size) const {
    const std::shared_lock guard(m_Lock);
    return ::GetFileSizeEx(m_File.Get(), &size) ? ERROR_SUCCESS : ::GetLastError();
  }

  bool Is(const FileIdentity& file) const { return m_Identity == file; }
  std::shared_mutex& Lock() const { return m_Lock; }

  // Both with Lock() held exclusively.
  void CloseFile() noexcept { m_File.Close(); }
  void Reopen() {
    m_File = FileHandle(OpenForReading(m_SystemName));
    if (!m_File.IsOpen()) throw WindowsFileError(::GetLastError(), m_Path);
    if (IdentityOf(m_File.Get()) != m_Identity) {
      m_File.Close();
      throw FileSystemError(ErrorNumber::kPathFileAccessError, m_Path, kInputChanged);
    }
  }

 private:
  mutable std::shared_mutex m_Lock;
  FileHandle m_File;
  std::wstring m_SystemName;
  std::filesystem::path m_Path;
  std::optional<FileIdentity> m_Identity;
};

}  // namespace

std::optional<FileIdentity> IdentityOf(HANDLE file) noexcept {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file, &info)) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

void CheckWithOwnInputsClosed(const FileIdentity& file, const std::function<void()>& check) {
  OwnInputs& own = TheOwnInputs();
  const std::lock_guard guard(own.lock);
  std::vector<OwnInput*> closed;
  std::vector<std::unique_lock<std::shared_mutex>> held;
  for (OwnInput* input : own.inputs) {
    if (!input->Is(file)) continue;
    held.emplace_back(input->Lock());
    input->CloseFile();
    closed.push_back(input);
  }
  std::exception_ptr failure;
  try {
    check();
  } catch (...) {
    failure = std::current_exception();
  }
  for (OwnInput* input : closed) {
    try {
      input->Reopen();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  }
  if (failure) std::rethrow_exception(failure);
}

class InputFile::Handle : public OwnInput {
 public:
  using OwnInput::OwnInput;
};

InputFile::InputFile(std::filesystem::path path) : m_Path(std::move(path)) {
  CheckFileName(m_Path);
  std::wstring systemName = ExtendedLengthPath(m_Path);
  const DWORD attributes = ::GetFileAttributesW(systemName.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) throw WindowsFileError(::GetLastError(), m_Path);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    throw FileSystemError(ErrorNumber::kPathFileAccessError, m_Path, "Is a directory");
  }
  FileHandle file(OpenForReading(systemName));
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
  m_Handle = std::make_unique<Handle>(std::move(file), std::move(systemName), m_Path);
}

InputFile::~InputFile() = default;

void InputFile::Close() noexcept {
  m_Handle.reset();
}

std::optional<std::size_t> InputFile::System::ReadSomeAt(const Handle& file, Byte* buffer,
                                                         std::size_t n, std::uint64_t offset,
                                                         const std::filesystem::path& path) {
  DWORD got = 0;
  const auto ask = static_cast<DWORD>(std::min(n, kLargestRead));
  if (const DWORD error = file.Read(buffer, ask, offset, got); error != ERROR_SUCCESS) {
    if (error == ERROR_HANDLE_EOF) return std::size_t{0};
    throw WindowsFileError(error, path);
  }
  return std::size_t{got};
}

InputFile::System::Standing InputFile::System::Now(const Handle& file,
                                                   const std::filesystem::path& path) {
  LARGE_INTEGER size{};
  if (const DWORD error = file.Size(size); error != ERROR_SUCCESS) {
    throw WindowsFileError(error, path);
  }
  // Only the length tells here; the bytes beyond it are read above.
  return {static_cast<std::uint64_t>(size.QuadPart), false};
}

}  // namespace hostseal
