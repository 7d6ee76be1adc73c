// The host commands: host-ip, mac and cpu print one result line or report that the query
// found nothing; identity reports this host's identity as status lines on standard output, or
// as one JSON object.
#pragma once

#include "tools/hostseal/command_table.hpp"

namespace hostseal::cli {

extern const Command kHostIpCommand;
extern const Command kMacCommand;
extern const Command kCpuCommand;
extern const Command kIdentityCommand;

}  // namespace hostseal::cli
