// TerminalTakesColours: whether a descriptor leads to a terminal that shows the status log's
// colour sequences. On Linux that is any terminal; on Windows a console whose virtual-terminal
// processing is on (the command line switches it on where the console accepts it), which
// rules out the NUL device and consoles older than Windows 10.
#pragma once

namespace hostseal {

bool TerminalTakesColours(int fd);

}  // namespace hostseal
