// The network adapters of this machine, from GetAdaptersAddresses: each one's interface
// index, friendly name, hardware address and IPv4 addresses with their on-link prefixes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hostseal/common/byte_array.hpp"
#include "hostseal/hostinfo/ipv4_text.hpp"

namespace hostseal::hostinfo_platform {

struct Adapter {
  std::uint32_t index = 0;  // the IPv4 interface index
  std::string name;         // the friendly name, UTF-8 ("Ethernet", "Wi-Fi")
  std::vector<Byte> hardwareAddress;
  std::vector<Ipv4Address> addresses;
  std::vector<std::uint8_t> prefixLengths;  // the on-link prefix of each address
};

// Empty when the system cannot list them.
std::vector<Adapter> ListAdapters();

}  // namespace hostseal::hostinfo_platform
