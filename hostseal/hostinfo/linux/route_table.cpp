#include "hostseal/hostinfo/linux/route_table.hpp"

#include <linux/rtnetlink.h>
#include <sys/socket.h>

#include <cstdint>

namespace hostseal::rtnl {
namespace {

bool HasGateway(const AttributeView& attributes) {
  return attributes.Find(RTA_GATEWAY).has_value() || attributes.Find(RTA_VIA).has_value();
}

// A dump request for every IPv4 route; the kernel lists the routes of all tables.
NetlinkRequest RouteDumpRequest() {
  NetlinkRequest request(RTM_GETROUTE, NLM_F_REQUEST | NLM_F_DUMP);
  rtmsg query{};
  query.rtm_family = AF_INET;
  request.AppendHeader(query);
  return request;
}

}  // namespace

std::optional<RouteEntry> ReadRouteEntry(const NetlinkMessage& message) {
  if (message.type != RTM_NEWROUTE) return std::nullopt;
  const auto header = ReadHeader<rtmsg>(message.payload);
  if (!header || header->rtm_family != AF_INET || header->rtm_dst_len > 32) return std::nullopt;
  const AttributeView attributes(message.payload, sizeof(rtmsg));

  RouteEntry route;
  route.type = header->rtm_type;
  route.table = attributes.FindValue<std::uint32_t>(RTA_TABLE).value_or(header->rtm_table);
  route.prefixLength = header->rtm_dst_len;
  if (route.prefixLength > 0) {
    const auto destination = attributes.FindValue<Ipv4Address>(RTA_DST);
    if (!destination) return std::nullopt;
    route.destination = *destination;
  }
  route.metric = attributes.FindValue<std::uint32_t>(RTA_PRIORITY).value_or(0);
  route.viaGateway = HasGateway(attributes);
  if (const auto index = attributes.FindValue<std::uint32_t>(RTA_OIF)) {
    route.outputIndex = static_cast<int>(*index);
  } else if (const auto hops = attributes.Find(RTA_MULTIPATH)) {
    // A multipath route: its first next hop, whose own attributes follow its fixed part.
    if (const auto hop = ReadHeader<rtnexthop>(*hops);
        hop && hop->rtnh_len >= sizeof(rtnexthop) && hop->rtnh_len <= hops->size()) {
      route.outputIndex = hop->rtnh_ifindex;
      route.viaGateway = route.viaGateway ||
                         HasGateway(AttributeView(hops->first(hop->rtnh_len), sizeof(rtnexthop)));
    }
  }
  return route;
}

DestinationRoute::DestinationRoute(const Ipv4Address& destination) : m_Destination(destination) {}

bool DestinationRoute::Covers(const RouteEntry& route) const {
  const std::size_t whole = route.prefixLength / 8U;
  for (std::size_t i = 0; i < whole; ++i) {
    if (route.destination[i] != m_Destination[i]) return false;
  }
  const unsigned rest = route.prefixLength % 8U;
  if (rest == 0) return true;
  const auto mask = static_cast<Byte>(0xFFU << (8U - rest));
  return (route.destination[whole] & mask) == (m_Destination[whole] & mask);
}

bool DestinationRoute::Better(const std::optional<RouteEntry>& best, const RouteEntry& route) {
  if (!best) return true;
  if (route.prefixLength != best->prefixLength) return route.prefixLength > best->prefixLength;
  return route.metric < best->metric;
}

void DestinationRoute::Offer(const RouteEntry& route) {
  if (!Covers(route)) return;
  if (route.table == RT_TABLE_LOCAL) {
    if (Better(m_Local, route)) m_Local = route;
  } else if (route.table == RT_TABLE_MAIN) {
    if (Better(m_Main, route)) m_Main = route;
  }
}

DestinationRoute::Reach DestinationRoute::Verdict() const {
  // Multicast, reserved and the limited broadcast address name no single neighbour, whatever
  // route covers them.
  if (m_Destination[0] >= 224) return Reach::kBroadcast;
  if (m_Local) {
    switch (m_Local->type) {
      case RTN_LOCAL:
        return Reach::kLocal;
      case RTN_BROADCAST:
      case RTN_MULTICAST:
      case RTN_ANYCAST:
        return Reach::kBroadcast;
      default:
        return Reach::kNone;
    }
  }
  if (!m_Main || m_Main->type != RTN_UNICAST || m_Main->outputIndex <= 0) return Reach::kNone;
  return m_Main->viaGateway ? Reach::kGateway : Reach::kOnLink;
}

int DestinationRoute::OutputIndex() const {
  if (m_Local) return m_Local->outputIndex;
  return m_Main ? m_Main->outputIndex : 0;
}

bool OfferAllRoutes(RouteNetlinkSocket& socket, DestinationRoute& decision) {
  auto request = RouteDumpRequest();
  return socket.Exchange(request, [&](const NetlinkMessage& message) {
    if (const auto route = ReadRouteEntry(message)) decision.Offer(*route);
  });
}

void DefaultRouteChoice::Offer(const RouteEntry& route) {
  if (route.table != RT_TABLE_MAIN || route.prefixLength != 0 || route.type != RTN_UNICAST ||
      route.outputIndex <= 0) {
    return;
  }
  if (!m_Index || route.metric < m_Metric) {
    m_Index = route.outputIndex;
    m_Metric = route.metric;
  }
}

std::optional<int> FindDefaultRouteIndex(RouteNetlinkSocket& socket) {
  auto request = RouteDumpRequest();
  DefaultRouteChoice choice;
  const bool answered = socket.Exchange(request, [&](const NetlinkMessage& message) {
    if (const auto route = ReadRouteEntry(message)) choice.Offer(*route);
  });
  return answered ? choice.OutputIndex() : std::nullopt;
}

}  // namespace hostseal::rtnl
