// The Windows side of GetDefaultRouteInterface: the IPv4 default route (0.0.0.0/0) of lowest
// metric in the forwarding table, and its adapter.
#include <winsock2.h>
// ws2tcpip.h first: iphlpapi.h declares the routing table only after it.
#include <ws2tcpip.h>

#include <iphlpapi.h>

#include <memory>

#include "hostseal/hostinfo/host_platform.hpp"
#include "hostseal/hostinfo/windows/adapter_table.hpp"

namespace hostseal::hostinfo_platform {

std::optional<RouteInterface> FindDefaultRouteInterface() {
  MIB_IPFORWARD_TABLE2* table = nullptr;
  if (::GetIpForwardTable2(AF_INET, &table) != NO_ERROR || table == nullptr) return std::nullopt;
  const std::unique_ptr<MIB_IPFORWARD_TABLE2, decltype(&::FreeMibTable)> owned(table,
                                                                               &::FreeMibTable);
  const MIB_IPFORWARD_ROW2* best = nullptr;
  for (ULONG i = 0; i < table->NumEntries; ++i) {
    const MIB_IPFORWARD_ROW2& row = table->Table[i];
    if (row.DestinationPrefix.PrefixLength != 0) continue;
    if (best == nullptr || row.Metric < best->Metric) best = &row;
  }
  if (best == nullptr) return std::nullopt;
  for (const Adapter& adapter : ListAdapters()) {
    if (adapter.index != best->InterfaceIndex) continue;
    RouteInterface found;
    found.name = adapter.name;
    found.hardwareAddress = adapter.hardwareAddress;
    if (!adapter.addresses.empty()) found.address = adapter.addresses.front();
    return found;
  }
  return std::nullopt;
}

}  // namespace hostseal::hostinfo_platform
