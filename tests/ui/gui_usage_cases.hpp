// The usage errors that hostseal-gui answers with the same text on Linux and Windows; both
// systems' program tests run this table.
#pragma once

#include <string>
#include <vector>

namespace hostseal::testing {

struct GuiUsageCase {
  std::vector<std::string> arguments;
  std::string error;  // all of standard error
};

inline std::vector<GuiUsageCase> GuiUsageCases() {
  const std::string hint = "\nrun 'hostseal-gui --help' for the options\n";
  return {
      {{"--bogus"}, "hostseal-gui: Unknown option 'bogus'." + hint},
      {{"-x", "--help"}, "hostseal-gui: Unknown option 'x'." + hint},
      {{"--screenshot"}, "hostseal-gui: Missing value after '--screenshot'." + hint},
      {{"--screenshot="}, "hostseal-gui: --screenshot needs a file name" + hint},
      {{"--version=1"}, "hostseal-gui: Unexpected value after '--version'." + hint},
      {{"stray"}, "hostseal-gui: unexpected argument 'stray'" + hint},
      {{"/help"}, "hostseal-gui: unexpected argument '/help'" + hint},  // no Windows-style options
      {{"--", "--help"}, "hostseal-gui: unexpected argument '--help'" + hint},
  };
}

}  // namespace hostseal::testing
