// WriteNewPrivateFile on Windows: CreateFileW with CREATE_NEW, which fails on any name that
// exists, and a protected access list that admits only the file's owner and the system, so
// that the folder's inherited rights do not open the key to other users.
#include "tools/hostseal/commands/new_private_file.hpp"

#include <windows.h>
// windows.h first: sddl.h needs its types.
#include <sddl.h>

#include <filesystem>
#include <string>

#include "hostseal/fs/file_error.hpp"
#include "hostseal/fs/file_name.hpp"
#include "hostseal/fs/windows/extended_length_path.hpp"
#include "hostseal/fs/windows/file_handle.hpp"
#include "hostseal/fs/windows/system_error.hpp"

namespace hostseal::cli {

namespace {

// A security descriptor made from SDDL text, freed with LocalFree.
class SecurityDescriptor {
 public:
  explicit SecurityDescriptor(const wchar_t* sddl) {
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                &m_Descriptor, nullptr)) {
      m_Descriptor = nullptr;
    }
  }
  ~SecurityDescriptor() {
    if (m_Descriptor != nullptr) ::LocalFree(m_Descriptor);
  }
  SecurityDescriptor(const SecurityDescriptor&) = delete;
  SecurityDescriptor& operator=(const SecurityDescriptor&) = delete;

  PSECURITY_DESCRIPTOR Get() const { return m_Descriptor; }

 private:
  PSECURITY_DESCRIPTOR m_Descriptor = nullptr;
};

}  // namespace

void WriteNewPrivateFile(const std::string& path, std::string_view bytes) {
  const std::filesystem::path name = PathFromUtf8(path);
  CheckFileName(name);
  // Protected (no inherited entries): full access for the owner and for the system only.
  const SecurityDescriptor descriptor(L"D:P(A;;FA;;;OW)(A;;FA;;;SY)");
  if (descriptor.Get() == nullptr) throw WindowsFileError(::GetLastError(), name);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.Get(), FALSE};
  const std::wstring systemName = ExtendedLengthPath(name);
  FileHandle file(::CreateFileW(systemName.c_str(), GENERIC_WRITE, 0, &attributes, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsOpen()) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
      throw FileSystemError(ErrorNumber::kPathFileAccessError, name, kFileAlreadyExists);
    }
    if (error == ERROR_PATH_NOT_FOUND) throw OutputFolderNotFound(name, SystemErrorText(error));
    throw WindowsFileError(error, name);
  }
  DWORD error = 0;
  DWORD put = 0;
  if (!::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) ||
      put != bytes.size() || !::FlushFileBuffers(file.Get())) {
    error = ::GetLastError();
    if (error == 0) error = ERROR_WRITE_FAULT;
  }
  if (error == 0) error = file.Close();
  if (error == 0) return;
  ::DeleteFileW(systemName.c_str());  // the file made above
  throw WindowsFileError(error, name);
}

}  // namespace hostseal::cli
