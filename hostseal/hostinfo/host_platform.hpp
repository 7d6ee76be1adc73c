// The platform seam of the host identity queries. The public queries (dns.hpp, mac.hpp,
// cpu.hpp, default_route.hpp) check their arguments and format their results; the functions
// declared here ask the operating system. linux/ implements them with getaddrinfo, rtnetlink,
// CPUID and sysfs; windows/ with GetAddrInfoW, the IP helper's tables, SendARP and WMI. None
// of them raises, shows a message or keeps state between calls.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "hostseal/common/byte_array.hpp"
#include "hostseal/hostinfo/ipv4_text.hpp"

namespace hostseal::hostinfo_platform {

// The first IPv4 address the system resolver gives for a UTF-8 host name, in its own order.
std::optional<Ipv4Address> ResolveFirstIpv4(const std::string& hostName);

// The hardware address behind an IPv4 address: an own interface's address, or the neighbour's
// from the neighbour table, resolving it first and waiting at most waitBound. Empty on failure.
std::vector<Byte> LookUpHardwareAddress(const Ipv4Address& address,
                                        std::chrono::milliseconds waitBound);

// One identifier per processor package in package order; std::nullopt where there is none.
std::vector<std::optional<std::string>> ReadProcessorIds();

struct RouteInterface {
  std::string name;
  std::optional<Ipv4Address> address;
  std::vector<Byte> hardwareAddress;
};

// The interface of the IPv4 default route of the main table (lowest metric first).
std::optional<RouteInterface> FindDefaultRouteInterface();

}  // namespace hostseal::hostinfo_platform
