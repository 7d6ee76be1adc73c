#include "hostseal/hostinfo/default_route.hpp"

#include "hostseal/common/utf8.hpp"
#include "hostseal/hostinfo/host_platform.hpp"
#include "hostseal/hostinfo/mac_text.hpp"

namespace hostseal {

std::optional<InterfaceIdentity> GetDefaultRouteInterface() {
  try {
    const auto route = hostinfo_platform::FindDefaultRouteInterface();
    if (!route) return std::nullopt;
    InterfaceIdentity identity;
    identity.name = FromUtf8(route->name);
    if (route->address) identity.address = FormatIpv4Text(*route->address);
    identity.mac = FormatMacReply(route->hardwareAddress).value_or(std::u16string{});
    return identity;
  } catch (...) {
    return std::nullopt;
  }
}

}  // namespace hostseal
