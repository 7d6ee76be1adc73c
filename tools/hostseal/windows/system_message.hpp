// SystemMessage: the system's own text for a Windows error code, as UTF-8 without the final
// line break ("The system cannot find the file specified."), for the brackets of an error
// description; "error N" when the system has no text for it.
#pragma once

#include <windows.h>

#include <string>

namespace hostseal::cli {

std::string SystemMessage(DWORD error);

}  // namespace hostseal::cli
