// This host's own interfaces as rtnetlink reports them: a link's name and hardware address, and
// the IPv4 addresses configured on each link.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "hostseal/common/byte_array.hpp"
#include "hostseal/hostinfo/ipv4_text.hpp"
#include "hostseal/hostinfo/linux/netlink_socket.hpp"

namespace hostseal::rtnl {

struct LinkInfo {
  int index = 0;
  std::string name;
  unsigned flags = 0;                 // IFF_*
  std::vector<Byte> hardwareAddress;  // empty when the link has none
};

struct InterfaceAddress {
  int index = 0;
  Ipv4Address address{};
};

// The link that one RTM_NEWLINK message describes, when it is the link index.
std::optional<LinkInfo> ReadLinkInfo(const NetlinkMessage& message, int index);
// The IPv4 address that one RTM_NEWADDR message describes.
std::optional<InterfaceAddress> ReadInterfaceAddress(const NetlinkMessage& message);

std::optional<LinkInfo> ReadLink(RouteNetlinkSocket& socket, int index);

// Every IPv4 address of every link, in the kernel's order (a link's primary address first).
std::vector<InterfaceAddress> ListIpv4Addresses(RouteNetlinkSocket& socket);

}  // namespace hostseal::rtnl
