// File-system failures reported by Windows (GetLastError) as RaisedError, in the style of
// file_error.hpp: the conventional description of the number, the path, and the system's own
// text in brackets:
//
//   Permission denied: "C:\Data\notes.txt" (Access is denied.)
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

// The system's text for the code, as UTF-8, without the line break that ends it.
std::string SystemErrorText(DWORD error);

RaisedError WindowsFileError(DWORD error, const std::filesystem::path& path);

}  // namespace hostseal
