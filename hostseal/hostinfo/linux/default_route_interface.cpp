// The Linux side of GetDefaultRouteInterface.
#include "hostseal/hostinfo/host_platform.hpp"
#include "hostseal/hostinfo/linux/interface_table.hpp"
#include "hostseal/hostinfo/linux/route_table.hpp"

namespace hostseal::hostinfo_platform {

std::optional<RouteInterface> FindDefaultRouteInterface() {
  auto socket = rtnl::RouteNetlinkSocket::Open();
  if (!socket) return std::nullopt;
  const auto index = rtnl::FindDefaultRouteIndex(*socket);
  if (!index) return std::nullopt;
  const auto link = rtnl::ReadLink(*socket, *index);
  if (!link) return std::nullopt;

  RouteInterface found;
  found.name = link->name;
  found.hardwareAddress = link->hardwareAddress;
  for (const auto& own : rtnl::ListIpv4Addresses(*socket)) {
    if (own.index == *index) {
      found.address = own.address;
      break;
    }
  }
  return found;
}

}  // namespace hostseal::hostinfo_platform
