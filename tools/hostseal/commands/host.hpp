// The host commands: host-ip, mac and cpu print one result line or report that the query
// found nothing; identity reports this host's identity as status lines on standard output, or
// as one JSON object.
#pragma once

#include <string>

#include "tools/hostseal/streams/command_message_sink.hpp"

namespace hostseal::cli {

int RunHostIp(const std::string& name);
int RunMac(const std::string& address);
int RunCpu();
int RunIdentity(CommandMessageSink& sink, bool json);

}  // namespace hostseal::cli
