// SecretFile: a key or pass-phrase file, or standard input ("-"), open for reading: the
// platform's part of ReadFirstLine (key_sources.hpp), which reads the first line from it.
//
// Errors are RaisedErrors in the style of the file routines: the number says why (53 not
// found, 70 permission denied, 75 a folder or another failure, ...), the description names the
// file and gives the system's reason in brackets:
//   Cannot read the key file "k.txt" (No such file or directory)
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tools/hostseal/secrets/file_identity.hpp"

namespace hostseal::cli {

class SecretFile {
 public:
  // Opens the file (what names it: "key file", "pass-phrase file"). On Linux, refuses with 70
  // "Permission denied" a file, FIFO or pipe, or a folder on its path, that another user than
  // the caller or root owns or that others may write (trustAnyOwner: warns instead; see the
  // platform file), and warns on standard error when a regular file can be read by other
  // users. Windows files carry access lists, not mode bits; neither is checked there.
  SecretFile(const std::string& path, std::string_view what, bool trustAnyOwner);
  ~SecretFile();
  SecretFile(const SecretFile&) = delete;
  SecretFile& operator=(const SecretFile&) = delete;

  // Up to size bytes; 0 at the end of the file.
  std::size_t Read(char* buffer, std::size_t size);

  // What the open file is (file_identity.hpp); nothing when the system tells no identity.
  std::optional<FileIdentity> Identity() const;

 private:
  std::string m_Path;
  std::string m_What;
  std::intptr_t m_Handle;  // a descriptor on Linux, a HANDLE on Windows
  bool m_Owned;            // standard input is not closed
};

// "key file \"k.txt\"", or "key file on standard input" for "-"; control characters shown as
// their codes.
std::string NamedSecretFile(std::string_view what, const std::string& path);

}  // namespace hostseal::cli
