#include "hostseal/hostinfo/mac.hpp"

#include "hostseal/hostinfo/host_platform.hpp"
#include "hostseal/hostinfo/ipv4_text.hpp"
#include "hostseal/hostinfo/mac_text.hpp"

namespace hostseal {

bool MAC::GetMacAddress(std::u16string sIP, std::u16string& sMac) {
  return GetMacAddress(std::move(sIP), sMac, kDefaultResolveWait);
}

// sIP is taken by value, as callers of the original interface pass it.
bool MAC::GetMacAddress(std::u16string sIP,  // NOLINT(performance-unnecessary-value-param)
                        std::u16string& sMac, std::chrono::milliseconds waitBound) {
  try {
    const auto address = ParseIpv4Text(sIP);
    if (!address || *address == Ipv4Address{}) return false;
    const auto reply = hostinfo_platform::LookUpHardwareAddress(*address, waitBound);
    auto text = FormatMacReply(reply);
    if (!text) return false;
    sMac = std::move(*text);
    return true;
  } catch (...) {
    return false;  // only allocation can fail here; sMac is assigned last
  }
}

}  // namespace hostseal
