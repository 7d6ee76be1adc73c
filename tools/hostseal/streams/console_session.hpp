// ConsoleSession: the standard streams set up for one run of the tool and put back after it.
//
// On Linux there is nothing to set up. On Windows the three streams go to binary mode (no
// "\n" to "\r\n" translation: a redirected output is byte for byte the one Linux writes),
// std::cout writes to a console through WriteConsoleW (UTF-8 made UTF-16, so Chinese shows
// whatever the console's code page), and the console's virtual-terminal processing is
// switched on where the console accepts it, for the status log's colours; the console's mode
// and std::cout's buffer are restored when the session ends.
#pragma once

#include <memory>

namespace hostseal::cli {

class ConsoleSession {
 public:
  ConsoleSession();
  ~ConsoleSession();
  ConsoleSession(const ConsoleSession&) = delete;
  ConsoleSession& operator=(const ConsoleSession&) = delete;

 private:
  struct State;
  std::unique_ptr<State> m_State;  // what to put back; none on Linux
};

}  // namespace hostseal::cli
