#include "tools/hostseal/streams/terminal_colours.hpp"

#include <unistd.h>

namespace hostseal {

bool TerminalTakesColours(int fd) {
  return ::isatty(fd) == 1;
}

}  // namespace hostseal
