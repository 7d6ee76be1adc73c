#include "tools/hostseal/streams/terminal_colours.hpp"

#include <io.h>
#include <windows.h>

namespace hostseal {

bool TerminalTakesColours(int fd) {
  const intptr_t os = ::_get_osfhandle(fd);
  if (os == -1 || os == -2) return false;  // not open, or open without a handle
  const auto handle = reinterpret_cast<HANDLE>(os);
  DWORD mode = 0;
  return ::GetFileType(handle) == FILE_TYPE_CHAR && ::GetConsoleMode(handle, &mode) != 0 &&
         (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace hostseal
