// ArpTarget: whether SendARP may ask the local network for an address, decided as the Linux
// side decides by its route without gateway: only an address on one of this machine's links,
// and never one that many machines or none answer for (the unspecified address, the limited
// and the link's directed broadcast, multicast).
#pragma once

#include <cstdint>
#include <vector>

#include "hostseal/hostinfo/ipv4_text.hpp"

namespace hostseal::hostinfo_platform {

// The best route to the address, as GetBestRoute gives it.
struct BestRoute {
  bool found = false;
  bool onLink = false;               // a direct route: no gateway between
  std::uint32_t interfaceIndex = 0;  // the interface it leaves by
};

// An own IPv4 address with its on-link prefix length and interface.
struct LinkAddress {
  std::uint32_t interfaceIndex = 0;
  Ipv4Address address{};
  std::uint8_t prefixLength = 0;
};

bool MayAskByArp(const Ipv4Address& address, const BestRoute& route,
                 const std::vector<LinkAddress>& links);

}  // namespace hostseal::hostinfo_platform
