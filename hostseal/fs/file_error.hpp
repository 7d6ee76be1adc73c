// File-system failures as RaisedError, in one style for every file routine: the conventional
// description of the number, the path in quotes, and the system's reason in brackets:
//
//   File not found: "notes.txt" (No such file or directory)
//
// The errno of a failed call picks the number: 53 file not found (also a folder missing on
// the way), 70 permission denied, 61 disk full, 57 device I/O error, 52 bad file name, and 75
// path/file access error for everything else. A folder missing on the way to an output is 76,
// path not found, and names the folder. Paths are quoted as UTF-8 with control
// characters written as their codes, so a hostile name cannot reach a terminal raw.
#pragma once

#include <filesystem>
#include <string_view>

#include "hostseal/common/raised_error.hpp"

namespace hostseal {

ErrorNumber ErrorNumberForErrno(int error) noexcept;

// "Disk full", "Permission denied", ...: the conventional description of a file error number.
std::string_view FileErrorDescription(ErrorNumber number) noexcept;

RaisedError FileSystemError(int error, const std::filesystem::path& path);
RaisedError FileSystemError(ErrorNumber number, const std::filesystem::path& path,
                            std::string_view reason);

// 76, "Path not found", naming the folder of the output path target: a folder on the way to
// it is missing or is no folder.
RaisedError OutputFolderNotFound(const std::filesystem::path& target, std::string_view reason);

// Raises 52 for a name the operating system cannot take: empty, or holding a NUL character
// (which would silently cut the name short).
void CheckFileName(const std::filesystem::path& path);

}  // namespace hostseal
