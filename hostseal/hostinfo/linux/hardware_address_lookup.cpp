// The Linux side of MAC::GetMacAddress: own interfaces first, then the host's connected routes
// decide whether a neighbour on a link can answer for the address.
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

  // The same decision for every packet of this query: the link comes from the local and main
  // tables, and the probe that resolves the neighbour is sent out of that link only.
  rtnl::DestinationRoute route(address);
  if (!rtnl::OfferAllRoutes(*socket, route)) return {};
  using Reach = rtnl::DestinationRoute::Reach;
  switch (route.Verdict()) {
    case Reach::kLocal: {
      // An address this host answers for itself without owning it on a link (127.0.0.2):
      // loopback's all-zero address, which names nothing.
      const auto link = rtnl::ReadLink(*socket, route.OutputIndex());
      return link ? link->hardwareAddress : std::vector<Byte>{};
    }
    case Reach::kOnLink:
      break;
    case Reach::kNone:
    case Reach::kBroadcast:
    case Reach::kGateway:
      // No route, several listeners, or off the links: no single neighbour answers.
      return {};
  }

  const auto link = rtnl::ReadLink(*socket, route.OutputIndex());
  if (!link || link->hardwareAddress.empty() || (link->flags & (IFF_NOARP | IFF_LOOPBACK)) != 0) {
    return {};
  }
  return rtnl::ResolveNeighbour(route.OutputIndex(), address, waitBound);
}

}  // namespace hostseal::hostinfo_platform
