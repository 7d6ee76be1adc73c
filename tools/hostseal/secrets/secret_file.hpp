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
#include <string>
#include <string_view>

namespace hostseal::cli {

class SecretFile {
 public:
  // Opens the file (what names it: "key file", "pass-phrase file"). On Linux, warns on
  // standard error when a regular file can be read by other users. Windows files carry access
  // lists, not mode bits; no warning is given there.
  SecretFile(const std::string& path, std::string_view what);
  ~SecretFile();
  SecretFile(const SecretFile&) = delete;
  SecretFile& operator=(const SecretFile&) = delete;

  // Up to size bytes; 0 at the end of the file.
  std::size_t Read(char* buffer, std::size_t size);

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
