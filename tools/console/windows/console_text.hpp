// Windows: telling a console from the other things a standard handle can be, and writing UTF-8
// to either; shared by the
// tool (its standard streams, console session and prompt) and the window.
#pragma once

#include <windows.h>

#include <string_view>

#include "tools/console/console_route.hpp"

namespace hostseal::cli {

// The process's handle for the stream; nullptr when it has none (a program started without a
// console and without redirection).
HANDLE StandardHandle(StandardStream stream);

// True for a console (see console_route.hpp for why not every character device is one).
bool IsConsole(HANDLE handle);

// The UTF-8 as UTF-16 through WriteConsoleW (ill-formed bytes show as U+FFFD). False when the
// console refused it.
bool WriteConsoleUtf8(HANDLE console, std::string_view utf8);

// The bytes as they are through WriteFile. False on a write error; GetLastError says which.
bool WriteAllBytes(HANDLE handle, std::string_view bytes);

}  // namespace hostseal::cli
