// The Windows side of DNS::GetHostIP: Winsock's GetAddrInfoW, with the name as UTF-16, so that
// a name the ANSI code page cannot hold still reaches the resolver unchanged.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>
#include <memory>
#include <mutex>

#include "hostseal/common/utf8.hpp"
#include "hostseal/hostinfo/host_platform.hpp"

namespace hostseal::hostinfo_platform {
namespace {

// Winsock is started once for the process, at the first query, and stays up; a start that
// failed (too many tasks, the network stack not yet up) is tried again at the next query.
bool WinsockStarted() {
  static std::mutex mutex;
  static bool started = false;
  const std::lock_guard lock(mutex);
  if (!started) {
    WSADATA data{};
    started = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  return started;
}

}  // namespace

std::optional<Ipv4Address> ResolveFirstIpv4(const std::string& hostName) {
  if (!WinsockStarted()) return std::nullopt;
  const std::u16string name16 = FromUtf8(hostName);
  const std::wstring name(name16.begin(), name16.end());
  ADDRINFOW hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;  // one answer per address, not one per socket type
  ADDRINFOW* found = nullptr;
  if (::GetAddrInfoW(name.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
    return std::nullopt;
  }
  const std::unique_ptr<ADDRINFOW, decltype(&::FreeAddrInfoW)> owned(found, &::FreeAddrInfoW);
  for (const ADDRINFOW* a = found; a != nullptr; a = a->ai_next) {
    if (a->ai_family != AF_INET || a->ai_addr == nullptr || a->ai_addrlen < sizeof(sockaddr_in)) {
      continue;
    }
    sockaddr_in in{};
    std::memcpy(&in, a->ai_addr, sizeof in);
    Ipv4Address address{};
    std::memcpy(address.data(), &in.sin_addr, address.size());
    return address;
  }
  return std::nullopt;
}

}  // namespace hostseal::hostinfo_platform
