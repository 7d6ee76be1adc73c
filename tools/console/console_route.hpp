// The three standard streams, and how a program writes to one of them on Windows, decided from what
// the handle is, and where a run of UTF-8 may be cut for a console that takes whole characters
// only. Kept apart from the Windows calls so that the decisions can be tested on every platform.
#pragma once

#include <cstddef>
#include <string_view>

namespace hostseal::cli {

enum class StandardStream { kInput, kOutput, kError };

enum class StreamRoute {
  kConsole,  // text through WriteConsoleW
  kBytes,    // a file, a pipe, the NUL device: the UTF-8 bytes as they are
};

// A console is a character device whose console mode can be read; the NUL device and serial
// ports are character devices without one, and they get bytes like files and pipes.
StreamRoute ChooseStreamRoute(bool characterDevice, bool consoleMode);

// The longest prefix of bytes that does not end inside a UTF-8 sequence: the rest (at most
// three bytes, the start of a character) waits for the bytes that complete it. Ill-formed
// bytes are not held back; the conversion shows them as U+FFFD.
std::size_t CompleteUtf8Length(std::string_view bytes);

}  // namespace hostseal::cli
