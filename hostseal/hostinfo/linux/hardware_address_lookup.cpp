// The Linux side of MAC::GetMacAddress: own interfaces first, then the route toward the
// address decides whether a neighbour on a link can answer for it.
#include <linux/rtnetlink.h>
#include <net/if.h>

#include "hostseal/hostinfo/host_platform.hpp"
#include "hostseal/hostinfo/linux/interface_table.hpp"
#include "hostseal/hostinfo/linux/neighbour_table.hpp"
#include "hostseal/hostinfo/linux/route_table.hpp"

namespace hostseal::hostinfo_platform {

std::vector<Byte> LookUpHardwareAddress(const Ipv4Address& address,
                                        std::chrono::milliseconds waitBound) {
  auto socket = rtnl::RouteNetlinkSocket::Open();
  if (!socket) return {};

  for (const auto& own : rtnl::ListIpv4Addresses(*socket)) {
    if (own.address != address) continue;
    const auto link = rtnl::ReadLink(*socket, own.index);
    return link ? link->hardwareAddress : std::vector<Byte>{};
  }

  const auto route = rtnl::LookUpRoute(*socket, address);
  if (!route || route->outputIndex == 0) return {};
  if (route->type == RTN_LOCAL) {
    // An address this host answers for itself without owning it on a link (127.0.0.2):
    // loopback's all-zero address, which names nothing.
    const auto link = rtnl::ReadLink(*socket, route->outputIndex);
    return link ? link->hardwareAddress : std::vector<Byte>{};
  }
  // Broadcast, multicast, unreachable and off-link addresses have no neighbour to answer.
  if (route->type != RTN_UNICAST || route->viaGateway) return {};

  const auto link = rtnl::ReadLink(*socket, route->outputIndex);
  if (!link || link->hardwareAddress.empty() || (link->flags & (IFF_NOARP | IFF_LOOPBACK)) != 0) {
    return {};
  }
  return rtnl::ResolveNeighbour(route->outputIndex, address, waitBound);
}

}  // namespace hostseal::hostinfo_platform
