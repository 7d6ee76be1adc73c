#include "hostseal/ui/terminal_colours.hpp"

#include <unistd.h>

namespace hostseal {

bool TerminalTakesColours(int fd) {
  return ::isatty(fd) == 1;
}

}  // namespace hostseal
