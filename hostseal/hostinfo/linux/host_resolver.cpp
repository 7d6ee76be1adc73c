// The Linux side of DNS::GetHostIP: the system resolver through getaddrinfo, IPv4 only.
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>
#include <memory>

#include "hostseal/hostinfo/host_platform.hpp"

namespace hostseal::hostinfo_platform {

std::optional<Ipv4Address> ResolveFirstIpv4(const std::string& hostName) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;  // one entry per address instead of one per socket type
  addrinfo* raw = nullptr;
  if (::getaddrinfo(hostName.c_str(), nullptr, &hints, &raw) != 0) return std::nullopt;
  const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> list(raw, &::freeaddrinfo);

  for (const addrinfo* entry = list.get(); entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_family != AF_INET || entry->ai_addr == nullptr ||
        entry->ai_addrlen < sizeof(sockaddr_in)) {
      continue;
    }
    sockaddr_in socketAddress;
    std::memcpy(&socketAddress, entry->ai_addr, sizeof(socketAddress));
    Ipv4Address address;
    std::memcpy(address.data(), &socketAddress.sin_addr, address.size());
    return address;
  }
  return std::nullopt;
}

}  // namespace hostseal::hostinfo_platform
