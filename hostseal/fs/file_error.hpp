// File-system failures as RaisedError: the errno of a failed call becomes one of the
// conventional numbers (53 file not found, 70 permission denied, 61 disk full, 57 device I/O
// error, 52 bad file name, 75 path/file access error for everything else), and the
// description says what was attempted, on which path, and why, in UTF-8.
#pragma once

#include <filesystem>
#include <string_view>

#include "hostseal/common/raised_error.hpp"

namespace hostseal {

ErrorNumber ErrorNumberForErrno(int error) noexcept;

// A description such as: cannot open "/tmp/a.txt" for reading: No such file or directory
RaisedError FileSystemError(int error, std::string_view action, const std::filesystem::path& path);
RaisedError FileSystemError(ErrorNumber number, std::string_view action,
                            const std::filesystem::path& path, std::string_view reason);

// Raises 52 for a name the operating system cannot take: empty, or holding a NUL character
// (which would silently cut the name short).
void CheckFileName(const std::filesystem::path& path);

}  // namespace hostseal
