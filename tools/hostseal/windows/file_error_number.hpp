// The conventional file error number (hostseal/fs/file_error.hpp) for a Windows error code:
// 53 not found, 70 permission denied or in use, 61 disk full, 57 device I/O error, 52 a name
// the system cannot take, 75 anything else.
#pragma once

#include <windows.h>

#include "hostseal/common/raised_error.hpp"

namespace hostseal::cli {

ErrorNumber ErrorNumberForSystemError(DWORD error) noexcept;

}  // namespace hostseal::cli
