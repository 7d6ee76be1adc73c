// IPv4 routes as rtnetlink reports them: reading one route message, deciding how the host's
// own tables reach an address (on a link, through a gateway, or not at all), and the interface
// of the default route.
#pragma once

#include <cstdint>
#include <optional>

#include "hostseal/hostinfo/ipv4_text.hpp"
#include "hostseal/hostinfo/linux/netlink_message.hpp"
#include "hostseal/hostinfo/linux/netlink_socket.hpp"

namespace hostseal::rtnl {

struct RouteEntry {
  std::uint32_t table = 0;         // RT_TABLE_MAIN, RT_TABLE_LOCAL, ...
  unsigned char type = 0;          // RTN_UNICAST, RTN_LOCAL, RTN_BROADCAST ...
  Ipv4Address destination{};       // the prefix, 0.0.0.0 for a default route
  unsigned char prefixLength = 0;  // 0 to 32
  int outputIndex = 0;             // of the route or its first next hop; 0 when it names none
  bool viaGateway = false;         // the route or its first next hop goes through a gateway
  std::uint32_t metric = 0;
};

// The IPv4 route of one RTM_NEWROUTE message; std::nullopt for any other message and for one
// whose prefix does not fit an IPv4 address.
std::optional<RouteEntry> ReadRouteEntry(const NetlinkMessage& message);

// How the host's own routing tables reach one address: the local table first (this host's
// own, broadcast and loopback addresses), then the connected and gateway routes of the main
// table, longest prefix first, then lowest metric, then the first listed. Policy rules and the
// tables they name are not consulted: they steer traffic, but an address on a link's subnet
// is on that link whatever a rule does with packets toward it.
class DestinationRoute {
 public:
  enum class Reach {
    kNone,       // no route, or one that delivers to nobody (unreachable, blackhole ...)
    kLocal,      // this host answers for it itself (127.0.0.2)
    kBroadcast,  // a broadcast or multicast address: no single neighbour
    kGateway,    // off the links, through a gateway
    kOnLink,     // a neighbour on the link outputIndex
  };

  explicit DestinationRoute(const Ipv4Address& destination);
  // Takes a route of any table into account.
  void Offer(const RouteEntry& route);

  Reach Verdict() const;
  // The interface of the route the verdict comes from; 0 when there is none.
  int OutputIndex() const;

 private:
  bool Covers(const RouteEntry& route) const;
  static bool Better(const std::optional<RouteEntry>& best, const RouteEntry& route);

  Ipv4Address m_Destination;
  std::optional<RouteEntry> m_Local;
  std::optional<RouteEntry> m_Main;
};

// Reads every IPv4 route of every table into the decision. False when the kernel does not
// answer the dump.
bool OfferAllRoutes(RouteNetlinkSocket& socket, DestinationRoute& decision);

// The main table's IPv4 default route with the lowest metric (the first one listed among
// equals), from routes offered one at a time.
class DefaultRouteChoice {
 public:
  void Offer(const RouteEntry& route);
  std::optional<int> OutputIndex() const { return m_Index; }

 private:
  std::optional<int> m_Index;
  std::uint32_t m_Metric = 0;
};

// The interface index of the main table's IPv4 default route; std::nullopt when there is none.
std::optional<int> FindDefaultRouteIndex(RouteNetlinkSocket& socket);

}  // namespace hostseal::rtnl
