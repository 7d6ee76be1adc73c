// Injected answers for the host queries of the command-line fuzz target: these definitions
// take the place of the Linux back-end (hostseal/hostinfo/linux/), so that host-ip, mac, cpu
// and identity run their whole formatting and reporting path without a name query, a netlink
// socket or a wait. The answers depend on the question, and some questions find nothing.
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "hostseal/hostinfo/host_platform.hpp"

namespace hostseal::hostinfo_platform {

std::optional<Ipv4Address> ResolveFirstIpv4(const std::string& hostName) {
  if (hostName.empty() || hostName.size() % 3 == 0) return std::nullopt;
  return Ipv4Address{10, static_cast<Byte>(hostName.size()), static_cast<Byte>(hostName[0]), 1};
}

std::vector<Byte> LookUpHardwareAddress(const Ipv4Address& address, std::chrono::milliseconds) {
  if (address[3] % 2 == 0) return {};
  return {0x00, 0x0C, 0x29, address[1], address[2], address[3]};
}

std::vector<std::optional<std::string>> ReadProcessorIds() {
  return {std::string("BFEBFBFF000906EA"), std::nullopt};
}

std::optional<RouteInterface> FindDefaultRouteInterface() {
  return RouteInterface{"eth\x1b[0", Ipv4Address{10, 0, 0, 5}, {0x00, 0x0C, 0x29, 1, 2, 3}};
}

}  // namespace hostseal::hostinfo_platform
