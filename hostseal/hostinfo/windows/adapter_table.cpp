#include "hostseal/hostinfo/windows/adapter_table.hpp"

// winsock2.h must come before windows.h, which iphlpapi.h includes.
#include <winsock2.h>

#include <ws2tcpip.h>

#include <iphlpapi.h>

#include <cstring>
#include <memory>

#include "hostseal/common/utf8.hpp"

namespace hostseal::hostinfo_platform {

std::vector<Adapter> ListAdapters() {
  constexpr ULONG kFlags =
      GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
  // The list can grow between asking for its size and reading it: a few tries.
  ULONG size = 16 * 1024;
  std::unique_ptr<std::byte[]> buffer;
  ULONG result = ERROR_BUFFER_OVERFLOW;
  for (int attempt = 0; attempt < 4 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
    buffer = std::make_unique<std::byte[]>(size);
    result = ::GetAdaptersAddresses(AF_INET, kFlags, nullptr,
                                    reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.get()), &size);
  }
  if (result != NO_ERROR) return {};

  std::vector<Adapter> adapters;
  for (auto* a = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.get()); a != nullptr;
       a = a->Next) {
    Adapter adapter;
    adapter.index = a->IfIndex;
    if (a->FriendlyName != nullptr) {
      const std::wstring name(a->FriendlyName);
      adapter.name = ToUtf8(std::u16string(name.begin(), name.end()));
    }
    adapter.hardwareAddress.assign(a->PhysicalAddress,
                                   a->PhysicalAddress + a->PhysicalAddressLength);
    for (auto* u = a->FirstUnicastAddress; u != nullptr; u = u->Next) {
      const SOCKADDR* socketAddress = u->Address.lpSockaddr;
      if (socketAddress == nullptr || socketAddress->sa_family != AF_INET) continue;
      sockaddr_in in{};
      std::memcpy(&in, socketAddress, sizeof in);
      Ipv4Address address{};
      std::memcpy(address.data(), &in.sin_addr, address.size());
      adapter.addresses.push_back(address);
      adapter.prefixLengths.push_back(u->OnLinkPrefixLength);
    }
    adapters.push_back(std::move(adapter));
  }
  return adapters;
}

}  // namespace hostseal::hostinfo_platform
