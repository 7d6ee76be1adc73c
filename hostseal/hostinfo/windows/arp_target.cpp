#include "hostseal/hostinfo/windows/arp_target.hpp"

namespace hostseal::hostinfo_platform {

namespace {

std::uint32_t HostOrder(const Ipv4Address& address) {
  return (std::uint32_t{address[0]} << 24) | (std::uint32_t{address[1]} << 16) |
         (std::uint32_t{address[2]} << 8) | std::uint32_t{address[3]};
}

}  // namespace

bool MayAskByArp(const Ipv4Address& address, const BestRoute& route,
                 const std::vector<LinkAddress>& links) {
  const std::uint32_t value = HostOrder(address);
  if (value == 0 || value == 0xFFFFFFFFU) return false;  // unspecified, limited broadcast
  if ((value >> 28) == 0xE) return false;                // multicast, 224.0.0.0/4
  if ((value >> 24) == 127) return false;                // loopback has no neighbours
  if (!route.found || !route.onLink) return false;       // no route, or behind a gateway
  for (const LinkAddress& link : links) {
    if (link.interfaceIndex != route.interfaceIndex || link.prefixLength == 0 ||
        link.prefixLength >= 31) {
      continue;  // a /31 or /32 link has no broadcast address (RFC 3021)
    }
    const std::uint32_t host = 0xFFFFFFFFU >> link.prefixLength;
    const std::uint32_t own = HostOrder(link.address);
    if ((own & ~host) == (value & ~host) && (value & host) == host) return false;  // directed
  }
  return true;
}

}  // namespace hostseal::hostinfo_platform
