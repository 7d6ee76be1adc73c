// The standard streams where they meet the operating system: whether one is an interactive
// terminal, standard error written at once, and standard input read a piece at a time. Linux
// uses the descriptors; Windows tells a console from a file, a pipe or the NUL device and talks
// to a console in UTF-16, so that any text shows and can be typed whatever its code page.
#pragma once

#include <cstddef>
#include <string_view>

#include "tools/console/console_route.hpp"

namespace hostseal::cli {

// True when the stream is an interactive terminal: a tty on Linux, a console on Windows (not
// the NUL device or a serial port, which are character devices too).
bool IsTerminal(StandardStream stream);

// The UTF-8 bytes on standard error, unbuffered: as text on a console, as they are elsewhere.
void WriteStandardError(std::string_view utf8);

// Up to size bytes of standard input, UTF-8; 0 at its end. Raises a RaisedError (Device I/O
// error) when it cannot be read. A Windows console is read as UTF-16 and its "\r\n" given as
// "\n"; a line that begins with Ctrl+Z ends the input there.
std::size_t ReadStandardInput(char* buffer, std::size_t size);

// The keys that end the input typed at a terminal: "Ctrl-D" on Linux, "Ctrl-Z then Enter" on
// Windows.
const char* EndOfInputKeys();

}  // namespace hostseal::cli
