#include "hostseal/hostinfo/linux/route_table.hpp"

#include <linux/rtnetlink.h>
#include <sys/socket.h>

#include <cstdint>

namespace hostseal::rtnl {

std::optional<RouteAnswer> LookUpRoute(RouteNetlinkSocket& socket, const Ipv4Address& address) {
  NetlinkRequest request(RTM_GETROUTE, NLM_F_REQUEST);
  rtmsg query{};
  query.rtm_family = AF_INET;
  query.rtm_dst_len = 32;
  request.AppendHeader(query);
  request.AppendAttribute(RTA_DST, std::as_bytes(std::span{address}));

  std::optional<RouteAnswer> answer;
  const bool answered = socket.Exchange(request, [&](const NetlinkMessage& message) {
    if (message.type != RTM_NEWROUTE) return;
    const auto header = ReadHeader<rtmsg>(message.payload);
    if (!header) return;
    const AttributeView attributes(message.payload, sizeof(rtmsg));
    RouteAnswer route;
    route.type = header->rtm_type;
    route.outputIndex = static_cast<int>(attributes.FindValue<std::uint32_t>(RTA_OIF).value_or(0));
    route.viaGateway = attributes.Find(RTA_GATEWAY).has_value() || attributes.Find(RTA_VIA);
    answer = route;
  });
  return answered ? answer : std::nullopt;
}

std::optional<int> FindDefaultRouteIndex(RouteNetlinkSocket& socket) {
  NetlinkRequest request(RTM_GETROUTE, NLM_F_REQUEST | NLM_F_DUMP);
  rtmsg query{};
  query.rtm_family = AF_INET;
  request.AppendHeader(query);

  std::optional<int> best;
  std::uint32_t bestMetric = 0;
  const bool answered = socket.Exchange(request, [&](const NetlinkMessage& message) {
    if (message.type != RTM_NEWROUTE) return;
    const auto header = ReadHeader<rtmsg>(message.payload);
    if (!header || header->rtm_family != AF_INET || header->rtm_dst_len != 0 ||
        header->rtm_type != RTN_UNICAST) {
      return;
    }
    const AttributeView attributes(message.payload, sizeof(rtmsg));
    const auto table = attributes.FindValue<std::uint32_t>(RTA_TABLE).value_or(header->rtm_table);
    if (table != RT_TABLE_MAIN) return;

    auto index = attributes.FindValue<std::uint32_t>(RTA_OIF);
    if (!index) {
      // A multipath route: the interface of its first next hop.
      if (const auto hops = attributes.Find(RTA_MULTIPATH)) {
        if (const auto hop = ReadHeader<rtnexthop>(*hops)) {
          index = static_cast<std::uint32_t>(hop->rtnh_ifindex);
        }
      }
    }
    if (!index || *index == 0) return;
    const auto metric = attributes.FindValue<std::uint32_t>(RTA_PRIORITY).value_or(0);
    if (!best || metric < bestMetric) {
      best = static_cast<int>(*index);
      bestMetric = metric;
    }
  });
  return answered ? best : std::nullopt;
}

}  // namespace hostseal::rtnl
