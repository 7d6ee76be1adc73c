#include "hostseal/hostinfo/linux/interface_table.hpp"

#include <linux/if_addr.h>
#include <linux/if_link.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

#include <algorithm>

namespace hostseal::rtnl {

std::optional<LinkInfo> ReadLinkInfo(const NetlinkMessage& message, int index) {
  if (message.type != RTM_NEWLINK) return std::nullopt;
  const auto header = ReadHeader<ifinfomsg>(message.payload);
  if (!header || header->ifi_index != index) return std::nullopt;
  const AttributeView attributes(message.payload, sizeof(ifinfomsg));
  LinkInfo info;
  info.index = index;
  info.flags = header->ifi_flags;
  info.name = attributes.FindString(IFLA_IFNAME).value_or(std::string{});
  if (const auto address = attributes.Find(IFLA_ADDRESS)) {
    std::transform(address->begin(), address->end(), std::back_inserter(info.hardwareAddress),
                   [](std::byte b) { return static_cast<Byte>(b); });
  }
  return info;
}

std::optional<InterfaceAddress> ReadInterfaceAddress(const NetlinkMessage& message) {
  if (message.type != RTM_NEWADDR) return std::nullopt;
  const auto header = ReadHeader<ifaddrmsg>(message.payload);
  if (!header || header->ifa_family != AF_INET) return std::nullopt;
  const AttributeView attributes(message.payload, sizeof(ifaddrmsg));
  // IFA_LOCAL is the address itself; on point-to-point links IFA_ADDRESS is the far end.
  auto value = attributes.FindValue<Ipv4Address>(IFA_LOCAL);
  if (!value) value = attributes.FindValue<Ipv4Address>(IFA_ADDRESS);
  if (!value) return std::nullopt;
  return InterfaceAddress{static_cast<int>(header->ifa_index), *value};
}

std::optional<LinkInfo> ReadLink(RouteNetlinkSocket& socket, int index) {
  NetlinkRequest request(RTM_GETLINK, NLM_F_REQUEST);
  ifinfomsg query{};
  query.ifi_family = AF_UNSPEC;
  query.ifi_index = index;
  request.AppendHeader(query);

  std::optional<LinkInfo> link;
  const bool answered = socket.Exchange(request, [&](const NetlinkMessage& message) {
    if (auto info = ReadLinkInfo(message, index)) link = std::move(info);
  });
  return answered ? link : std::nullopt;
}

std::vector<InterfaceAddress> ListIpv4Addresses(RouteNetlinkSocket& socket) {
  NetlinkRequest request(RTM_GETADDR, NLM_F_REQUEST | NLM_F_DUMP);
  ifaddrmsg query{};
  query.ifa_family = AF_INET;
  request.AppendHeader(query);

  std::vector<InterfaceAddress> addresses;
  const bool answered = socket.Exchange(request, [&](const NetlinkMessage& message) {
    if (const auto address = ReadInterfaceAddress(message)) addresses.push_back(*address);
  });
  if (!answered) addresses.clear();
  return addresses;
}

}  // namespace hostseal::rtnl
