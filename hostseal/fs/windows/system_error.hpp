// File-system failures reported by Windows (GetLastError) as RaisedError, in the style of
// file_error.hpp: the conventional description of the number, the path, and the reason in
// brackets, in the words Linux uses for the same failure, so that errors read alike on both:
//
//   Permission denied: "C:\Data\notes.txt" (Permission denied)
//   Path/File access error: "C:\Data\notes.txt" (Device or resource busy)   (open elsewhere)
//
// The code picks the number: 53 file not found (also a folder missing on the way), 70
// permission denied (also a read-only file), 61 disk full, 57 device I/O error, 52 bad file
// name, 75 path/file access error (a file in use by another program, and everything else).
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

#include "hostseal/common/raised_error.hpp"

namespace hostseal {

ErrorNumber ErrorNumberForSystemError(DWORD error) noexcept;

// The reason for the code, as UTF-8: Linux's words for the failures both systems have (file
// not found, access denied, file exists, disk full, a name that cannot be, a file in use...),
// else the system's own text without the line break that ends it.
std::string SystemErrorText(DWORD error);

RaisedError WindowsFileError(DWORD error, const std::filesystem::path& path);

}  // namespace hostseal
