// IPv4 routes as rtnetlink reports them: the route the kernel would take toward one address,
// and the interface of the default route.
#pragma once

#include <optional>

#include "hostseal/hostinfo/ipv4_text.hpp"
#include "hostseal/hostinfo/linux/netlink_socket.hpp"

namespace hostseal::rtnl {

struct RouteAnswer {
  unsigned char type = 0;  // RTN_UNICAST, RTN_LOCAL, RTN_BROADCAST ...
  int outputIndex = 0;     // 0 when the route names no interface
  bool viaGateway = false;
};

// std::nullopt when the kernel has no route toward the address.
std::optional<RouteAnswer> LookUpRoute(RouteNetlinkSocket& socket, const Ipv4Address& address);

// The interface index of the main table's IPv4 default route with the lowest metric (the
// first one listed among equals); std::nullopt when there is none.
std::optional<int> FindDefaultRouteIndex(RouteNetlinkSocket& socket);

}  // namespace hostseal::rtnl
