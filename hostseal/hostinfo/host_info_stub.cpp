// Provisional: the host identity queries arrive with their Linux back-ends.
#include "hostseal/hostinfo/cpu.hpp"
#include "hostseal/hostinfo/dns.hpp"
#include "hostseal/hostinfo/mac.hpp"

namespace hostseal {

std::u16string DNS::GetHostIP(const std::u16string& /*sHostName*/) {
  return {};
}

bool MAC::GetMacAddress(std::u16string /*sIP*/, std::u16string& /*sMac*/) {
  return false;
}

std::u16string GetCpu(ProcessorIdList* cpuStrArray) {
  if (cpuStrArray != nullptr) cpuStrArray->clear();
  return {};
}

}  // namespace hostseal

#include "hostseal/hostinfo/default_route.hpp"

namespace hostseal {

std::optional<InterfaceIdentity> GetDefaultRouteInterface() {
  return std::nullopt;
}

}  // namespace hostseal
