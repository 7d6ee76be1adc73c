// The Windows way: the new content is built in a hidden file ".NAME.XXXXXXXX.tmp" beside the
// target, created with the access rights of the file it replaces (or, for a new target, those
// that the folder gives every new file), so that it is never readable by anyone who may not
// read the result. Commit() flushes it and renames it over the target with
// MoveFileExW(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH), which replaces the target in
// one step: nothing ever sees a partial file under the target's name. A target with other hard
// links is written in place instead, so that every name sees the new content: its space is
// asked for first and console events wait until the copy is on disk.
#include "hostseal/fs/replacing_file.hpp"

#include <aclapi.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <utility>

#include "hostseal/fs/file_error.hpp"
#include "hostseal/fs/interrupt_cleanup.hpp"
#include "hostseal/fs/replacing_file_system.hpp"
#include "hostseal/fs/windows/extended_length_path.hpp"
#include "hostseal/fs/windows/file_handle.hpp"
#include "hostseal/fs/windows/own_inputs.hpp"
#include "hostseal/fs/windows/system_error.hpp"

namespace hostseal {

namespace {

// WriteFile and ReadFile take 32-bit counts.
constexpr std::size_t kLargestTransfer = std::size_t{1} << 30;
constexpr int kNameAttempts = 100;
// The longest name of one part of a path that NTFS takes, in UTF-16 units.
constexpr std::size_t kLongestPart = 255;

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

void Flush(HANDLE file, const std::filesystem::path& path) {
  if (!::FlushFileBuffers(file)) throw WindowsFileError(::GetLastError(), path);
}

// A link in the last part of the path stands for the file it names, as on Linux: the link
// stays and that file is written. Takes and gives the extended-length form.
std::wstring FollowLink(const std::wstring& target) {
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    return target;
  }
  const FileHandle file(::CreateFileW(target.c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.IsOpen()) return target;  // a dangling link: the failure comes with the rename
  std::wstring finalPath(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetFinalPathNameByHandleW(
        file.Get(), finalPath.data(), static_cast<DWORD>(finalPath.size()), FILE_NAME_NORMALIZED);
    if (length == 0) return target;
    if (length < finalPath.size()) {
      finalPath.resize(length);
      return finalPath;
    }
    finalPath.resize(length + 1);
  }
}

// The access rights of an existing file, to give its replacement from the start.
struct SecurityOf {
  explicit SecurityOf(HANDLE file) {
    PACL dacl = nullptr;
    if (::GetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                          nullptr, &descriptor) == ERROR_SUCCESS) {
      attributes.nLength = sizeof attributes;
      attributes.lpSecurityDescriptor = descriptor;
      attributes.bInheritHandle = FALSE;
      valid = true;
    }
  }
  SecurityOf(const SecurityOf&) = delete;
  SecurityOf& operator=(const SecurityOf&) = delete;
  ~SecurityOf() {
    if (descriptor != nullptr) ::LocalFree(descriptor);
  }

  PSECURITY_DESCRIPTOR descriptor = nullptr;
  SECURITY_ATTRIBUTES attributes{};
  bool valid = false;
};

// ".NAME.XXXXXXXX.tmp" beside the target, named by the folder of its extended-length form
// (ending in a backslash) and its name. A long NAME is cut, never between the halves of a
// surrogate pair, so that the temporary name stays within what one part of a path may hold.
std::wstring TemporaryName(std::wstring_view folder, std::wstring_view name,
                           std::wstring_view tag) {
  constexpr std::wstring_view kSuffix = L".tmp";
  const std::size_t room = kLongestPart - 2 - tag.size() - kSuffix.size();
  if (name.size() > room) {
    name = name.substr(0, room);
    if (!name.empty() && name.back() >= 0xD800 && name.back() <= 0xDBFF) name.remove_suffix(1);
  }
  std::wstring temporary(folder);
  temporary += L'.';
  temporary += name;
  temporary += L'.';
  temporary += tag;
  temporary += kSuffix;
  return temporary;
}

std::wstring RandomTag() {
  static constexpr wchar_t kHex[] = L"0123456789abcdef";
  std::random_device random;
  std::wstring tag;
  for (int i = 0; i < 8; ++i) tag += kHex[random() % 16];
  return tag;
}

}  // namespace

class ReplacingFile::Platform {
 public:
  Platform(const std::filesystem::path& target, std::filesystem::perms newFilePermissions);
  Platform(const Platform&) = delete;
  Platform& operator=(const Platform&) = delete;
  ~Platform();

  void CreateTemporary(const SECURITY_ATTRIBUTES* security, const std::filesystem::path& target);

  std::wstring m_File;  // the file that is replaced, links followed, in extended-length form
  std::optional<FileIdentity> m_Identity;  // of an existing target
  bool m_Existed = false;
  DWORD m_Attributes = FILE_ATTRIBUTE_NORMAL;
  bool m_InPlace = false;
  std::wstring m_TemporaryPath;  // in extended-length form
  FileHandle m_Temporary;
  std::optional<RemovalOnInterrupt> m_Removal;
  FileHandle m_To;  // the target, while it is written in place
};

ReplacingFile::Platform::Platform(const std::filesystem::path& target, std::filesystem::perms) {
  CheckFileName(target);
  m_File = FollowLink(ExtendedLengthPath(target));

  const DWORD attributes = ::GetFileAttributesW(m_File.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_PATH_NOT_FOUND) throw OutputFolderNotFound(target, SystemErrorText(error));
    if (error != ERROR_FILE_NOT_FOUND) throw WindowsFileError(error, target);
    CreateTemporary(nullptr, target);
    return;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    throw FileSystemError(ErrorNumber::kPathFileAccessError, target, "Is a directory");
  }
  // A read-only file is not replaced, though its folder would allow it.
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    throw WindowsFileError(ERROR_ACCESS_DENIED, target);
  }
  // Opening it for writing finds now, before any work, a file the caller may not write and one
  // that another program holds open without sharing it.
  FileHandle existing(::CreateFileW(m_File.c_str(), GENERIC_WRITE | READ_CONTROL,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
  if (!existing.IsOpen()) throw WindowsFileError(::GetLastError(), target);
  if (::GetFileType(existing.Get()) != FILE_TYPE_DISK) {
    throw FileSystemError(ErrorNumber::kPathFileAccessError, target, "not a regular file");
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileInformationByHandle(existing.Get(), &info) && info.nNumberOfLinks > 1) {
    m_InPlace = true;
  }
  m_Identity = IdentityOf(existing.Get());
  m_Existed = true;
  m_Attributes = attributes & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                               FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  if (m_Attributes == 0) m_Attributes = FILE_ATTRIBUTE_NORMAL;
  const SecurityOf security(existing.Get());
  existing.Close();
  if (!m_InPlace && m_Identity) {
    // Windows does not replace a file that is open anywhere, whatever the handle shares:
    // MoveFileExW fails with error 5 even when the other program allowed deletion. Opening the
    // target for deletion without sharing fails as long as any program holds it open for
    // reading, writing or deleting, so such a target is refused now, with the system's reason,
    // rather than after all the work; this process's own reading handle does not count when
    // the target is the input, which is closed before Commit(). A target written in place is
    // opened with full sharing for writing, as that way will open it: checked above already,
    // another program that shares it for writing does not stop it.
    CheckWithOwnInputsClosed(*m_Identity, [this, &target] {
      const FileHandle probe(
          ::CreateFileW(m_File.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
      if (!probe.IsOpen()) throw WindowsFileError(::GetLastError(), target);
    });
  }
  CreateTemporary(security.valid ? &security.attributes : nullptr, target);
}

void ReplacingFile::Platform::CreateTemporary(const SECURITY_ATTRIBUTES* security,
                                              const std::filesystem::path& target) {
  const std::size_t cut = m_File.find_last_of(L"\\/") + 1;
  const std::wstring_view folder = std::wstring_view(m_File).substr(0, cut);
  const std::wstring_view name = std::wstring_view(m_File).substr(cut);
  DWORD error = ERROR_FILE_EXISTS;
  for (int attempt = 0; attempt < kNameAttempts && error == ERROR_FILE_EXISTS; ++attempt) {
    std::wstring candidate = TemporaryName(folder, name, RandomTag());
    // Shared for deletion only, so that the handler of a console interruption can remove it.
    FileHandle file(::CreateFileW(candidate.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                  FILE_SHARE_DELETE, const_cast<SECURITY_ATTRIBUTES*>(security),
                                  CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (file.IsOpen()) {
      m_Removal.emplace(kWholePath, candidate);
      m_TemporaryPath = std::move(candidate);
      m_Temporary = std::move(file);
      return;
    }
    error = ::GetLastError();
  }
  throw WindowsFileError(error, target);
}

ReplacingFile::Platform::~Platform() {
  if (m_TemporaryPath.empty()) return;
  if (m_Temporary.IsOpen()) {
    FILE_DISPOSITION_INFO dispose{};
    dispose.DeleteFile = TRUE;
    if (::SetFileInformationByHandle(m_Temporary.Get(), FileDispositionInfo, &dispose,
                                     sizeof dispose)) {
      return;  // gone when the handle closes
    }
    m_Temporary.Close();
  }
  ::DeleteFileW(m_TemporaryPath.c_str());
}

ReplacingFile::ReplacingFile(std::filesystem::path target,
                             std::filesystem::perms newFilePermissions)
    : m_Target(std::move(target)),
      m_Platform(std::make_unique<Platform>(m_Target, newFilePermissions)) {
  m_Existed = m_Platform->m_Existed;
}

ReplacingFile::~ReplacingFile() = default;

std::optional<std::size_t> ReplacingFile::System::WriteSomeAt(const Platform& platform, File file,
                                                              const Byte* data, std::size_t n,
                                                              std::uint64_t offset,
                                                              const std::filesystem::path& path) {
  OVERLAPPED at = At(offset);
  DWORD put = 0;
  const auto ask = static_cast<DWORD>(std::min(n, kLargestTransfer));
  const HANDLE handle = file == File::kBuilt ? platform.m_Temporary.Get() : platform.m_To.Get();
  if (!::WriteFile(handle, data, ask, &put, &at)) throw WindowsFileError(::GetLastError(), path);
  if (put == 0) throw WindowsFileError(ERROR_WRITE_FAULT, path);
  return std::size_t{put};
}

// Windows has no file-size limit of its own process, nor a hint to start writing back.
void ReplacingFile::System::RequireRoom(std::size_t, std::uint64_t, const std::filesystem::path&) {}

void ReplacingFile::System::StartWriteBack(const Platform&, std::uint64_t, std::size_t) noexcept {}

bool ReplacingFile::System::MustWriteInPlace(Platform& platform, const std::filesystem::path&) {
  return platform.m_InPlace;
}

void ReplacingFile::System::Rename(Platform& platform, const std::filesystem::path& path) {
  Flush(platform.m_Temporary.Get(), path);
  // No longer hidden; the former target's attributes carry over.
  FILE_BASIC_INFO basic{};
  basic.FileAttributes = platform.m_Attributes;
  if (!::SetFileInformationByHandle(platform.m_Temporary.Get(), FileBasicInfo, &basic,
                                    sizeof basic)) {
    throw WindowsFileError(::GetLastError(), path);
  }
  if (const DWORD error = platform.m_Temporary.Close(); error != 0) {
    throw WindowsFileError(error, path);
  }
  if (!::MoveFileExW(platform.m_TemporaryPath.c_str(), platform.m_File.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    throw WindowsFileError(::GetLastError(), path);
  }
  platform.m_TemporaryPath.clear();
  platform.m_Removal.reset();
}

// The built file goes with the object, which deletes it by its handle.
void ReplacingFile::System::DropBuilt(Platform&) noexcept {}

std::uint64_t ReplacingFile::System::BuiltLength(const Platform& platform,
                                                 const std::filesystem::path& path) {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(platform.m_Temporary.Get(), &size)) {
    throw WindowsFileError(::GetLastError(), path);
  }
  return static_cast<std::uint64_t>(size.QuadPart);
}

bool ReplacingFile::System::OpenTarget(Platform& platform, const std::filesystem::path& path) {
  platform.m_To = FileHandle(::CreateFileW(platform.m_File.c_str(), GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
  if (!platform.m_To.IsOpen()) throw WindowsFileError(::GetLastError(), path);
  return IdentityOf(platform.m_To.Get()) == platform.m_Identity;
}

// Growing the allocation changes neither the length nor the content, and lasts while the handle
// is open; a smaller allocation would cut the file, so only growth is asked for. Where the file
// system cannot do that (and under Wine), the end of the file moves to the new length instead:
// the old bytes stay as they are, followed by zeros, until the copy.
bool ReplacingFile::System::Reserve(Platform& platform, std::uint64_t length,
                                    const std::filesystem::path& path) {
  LARGE_INTEGER current{};
  if (!::GetFileSizeEx(platform.m_To.Get(), &current)) {
    throw WindowsFileError(::GetLastError(), path);
  }
  const bool grows = length > static_cast<std::uint64_t>(current.QuadPart);
  FILE_ALLOCATION_INFO allocation{};
  allocation.AllocationSize.QuadPart = static_cast<LONGLONG>(length);
  if (!grows || ::SetFileInformationByHandle(platform.m_To.Get(), FileAllocationInfo, &allocation,
                                             sizeof allocation)) {
    return true;
  }
  const DWORD error = ::GetLastError();
  if (error != ERROR_CALL_NOT_IMPLEMENTED && error != ERROR_INVALID_FUNCTION &&
      error != ERROR_NOT_SUPPORTED && error != ERROR_INVALID_PARAMETER) {
    throw WindowsFileError(error, path);
  }
  return false;
}

std::uint64_t ReplacingFile::System::CopyInKernel(Platform&, std::uint64_t,
                                                  const std::filesystem::path&) {
  return 0;
}

std::optional<std::size_t> ReplacingFile::System::ReadBuiltAt(const Platform& platform,
                                                              Byte* buffer, std::size_t n,
                                                              std::uint64_t offset,
                                                              const std::filesystem::path& path) {
  OVERLAPPED at = At(offset);
  DWORD got = 0;
  const auto ask = static_cast<DWORD>(std::min(n, kLargestTransfer));
  if (!::ReadFile(platform.m_Temporary.Get(), buffer, ask, &got, &at)) {
    throw WindowsFileError(::GetLastError(), path);
  }
  if (got == 0) throw WindowsFileError(ERROR_READ_FAULT, path);
  return std::size_t{got};
}

void ReplacingFile::System::SetTargetLength(Platform& platform, std::uint64_t length,
                                            const std::filesystem::path& path) {
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = static_cast<LONGLONG>(length);
  if (!::SetFileInformationByHandle(platform.m_To.Get(), FileEndOfFileInfo, &end, sizeof end)) {
    throw WindowsFileError(::GetLastError(), path);
  }
}

void ReplacingFile::System::FlushTarget(Platform& platform, const std::filesystem::path& path) {
  Flush(platform.m_To.Get(), path);
}

// Windows reports nothing of use when a handle closes: the target closes with ForgetTarget().
void ReplacingFile::System::CloseTarget(Platform&, const std::filesystem::path&) {}

void ReplacingFile::System::ForgetTarget(Platform& platform) noexcept {
  platform.m_To.Close();
}

}  // namespace hostseal
