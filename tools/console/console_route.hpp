// The three standard streams, and how a program writes to one of them on Windows, decided from
// what the handle is. Kept apart from the Windows calls so that the decision can be tested on
// every platform.
#pragma once

namespace hostseal::cli {

enum class StandardStream { kInput, kOutput, kError };

enum class StreamRoute {
  kConsole,  // text through WriteConsoleW
  kBytes,    // a file, a pipe, the NUL device: the UTF-8 bytes as they are
};

// A console is a character device whose console mode can be read; the NUL device and serial
// ports are character devices without one, and they get bytes like files and pipes.
constexpr StreamRoute ChooseStreamRoute(bool characterDevice, bool consoleMode) {
  return characterDevice && consoleMode ? StreamRoute::kConsole : StreamRoute::kBytes;
}

}  // namespace hostseal::cli
