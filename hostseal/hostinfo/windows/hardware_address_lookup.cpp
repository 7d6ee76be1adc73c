// The Windows side of MAC::GetMacAddress: an own adapter's address answers for itself; any
// other goes to SendARP, which asks the local network (or the system's ARP cache). SendARP
// waits by itself; its bound is the system's, not the caller's.
#include <winsock2.h>

#include <iphlpapi.h>

#include <cstring>

#include "hostseal/hostinfo/host_platform.hpp"
#include "hostseal/hostinfo/windows/adapter_table.hpp"

namespace hostseal::hostinfo_platform {

std::vector<Byte> LookUpHardwareAddress(const Ipv4Address& address,
                                        std::chrono::milliseconds /*waitBound*/) {
  for (const Adapter& adapter : ListAdapters()) {
    for (const Ipv4Address& own : adapter.addresses) {
      if (own == address) return adapter.hardwareAddress;
    }
  }
  IPAddr destination = 0;
  std::memcpy(&destination, address.data(), sizeof destination);
  ULONG reply[2] = {};  // SendARP writes up to 8 bytes
  ULONG length = sizeof reply;
  if (::SendARP(destination, 0, reply, &length) != NO_ERROR || length > sizeof reply) return {};
  const auto* bytes = reinterpret_cast<const Byte*>(reply);
  return std::vector<Byte>(bytes, bytes + length);
}

}  // namespace hostseal::hostinfo_platform
