// ExtendedLengthPath: a file name in the form the wide Win32 file calls take at any length.
//
// Without it Windows refuses names longer than MAX_PATH (260 characters) unless the program
// declares itself long-path aware and the system policy allows it (Windows 10 1607 and later
// only). The "\\?\" form works from Windows 7 on, up to the 32,767 UTF-16 units NTFS allows,
// but Windows takes it literally: no "." or "..", no "/", no current folder. So the name is
// made full first (GetFullPathNameW, which also resolves those) and then prefixed:
//
//   C:\Data\a.txt, C:/Data/x/../a.txt, a.txt (in C:\Data)  ->  \\?\C:\Data\a.txt
//   \\server\share\a.txt                                   ->  \\?\UNC\server\share\a.txt
//   \\?\C:\a.txt, \\.\pipe\name, NUL (-> \\.\NUL)          ->  left as they are
//
// Only for the name handed to the system: messages keep naming the path as the user gave it.
// A name that cannot be made full (longer than the system allows) comes back unchanged, so
// that the system call that takes it fails with the system's own reason.
#pragma once

#include <filesystem>
#include <string>

namespace hostseal {

std::wstring ExtendedLengthPath(const std::filesystem::path& path);

}  // namespace hostseal
