// The interface that carries this host's IPv4 default route, with its address and hardware
// address: what identifies the machine when its host name resolves to a loopback address.
#pragma once

#include <optional>
#include <string>

namespace hostseal {

struct InterfaceIdentity {
  std::u16string name;     // "eth0"
  std::u16string address;  // dotted IPv4, "" when the interface has none
  std::u16string mac;      // in the text form of MAC::GetMacAddress, "" when it has none
};

// std::nullopt when there is no IPv4 default route. Never raises.
std::optional<InterfaceIdentity> GetDefaultRouteInterface();

}  // namespace hostseal
