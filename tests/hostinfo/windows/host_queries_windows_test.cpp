// The host queries on Windows: names through Winsock, own hardware addresses from the adapter
// table, processor identifiers through WMI against CPUID run here. No packet leaves this
// machine: the only name resolved is "localhost" (the hosts file), the only addresses looked
// up are this machine's own.
#include <cpuid.h>
#include <gtest/gtest.h>
#include <winsock2.h>

#include <ws2tcpip.h>

#include <iphlpapi.h>

#include <cstring>
#include <string>

#include "hostseal/common/utf8.hpp"
#include "hostseal/hostinfo/cpu.hpp"
#include "hostseal/hostinfo/dns.hpp"
#include "hostseal/hostinfo/ipv4_text.hpp"
#include "hostseal/hostinfo/mac.hpp"
#include "hostseal/hostinfo/mac_text.hpp"
#include "hostseal/hostinfo/windows/adapter_table.hpp"
#include "hostseal/hostinfo/windows/arp_target.hpp"
#include "tests/support/windows/wine.hpp"

namespace hostseal {
namespace {

TEST(WindowsHostQueries, LocalhostResolvesToLoopbackAndBadNamesFailWithoutAsking) {
  EXPECT_EQ(DNS::GetHostIP(u"localhost"), u"127.0.0.1");
  // Refused before the resolver: empty, too long, an embedded U+0000.
  EXPECT_EQ(DNS::GetHostIP(u""), u"");
  EXPECT_EQ(DNS::GetHostIP(std::u16string(300, u'a')), u"");
  EXPECT_EQ(DNS::GetHostIP(std::u16string(u"local\0host", 10)), u"");
}

TEST(WindowsHostQueries, ProcessorIdentifiersAreCpuidLeafOne) {
  unsigned eax = 0;
  unsigned ebx = 0;
  unsigned ecx = 0;
  unsigned edx = 0;
  ASSERT_NE(__get_cpuid(1, &eax, &ebx, &ecx, &edx), 0);
  char expected[17];
  std::snprintf(expected, sizeof expected, "%08X%08X", edx, eax);

  ProcessorIdList ids;
  const std::u16string joined = GetCpu(&ids);
  ASSERT_FALSE(ids.empty());
  std::u16string rebuilt;
  for (const auto& id : ids) {
    ASSERT_TRUE(id.has_value());
    EXPECT_EQ(ToUtf8(*id), expected);
    rebuilt += (rebuilt.empty() ? u"" : u" ") + *id;
  }
  EXPECT_EQ(joined, rebuilt);
}

TEST(WindowsHostQueries, OwnAddressesGiveTheirAdaptersHardwareAddress) {
  int checked = 0;
  for (const auto& adapter : hostinfo_platform::ListAdapters()) {
    const auto text = FormatMacReply(adapter.hardwareAddress);
    if (!text) continue;  // loopback and tunnels have none
    for (const auto& address : adapter.addresses) {
      SCOPED_TRACE(adapter.name);
      std::u16string mac = u"unchanged";
      EXPECT_TRUE(MAC::GetMacAddress(FormatIpv4Text(address), mac));
      EXPECT_EQ(mac, *text);
      ++checked;
    }
  }
  if (checked == 0) GTEST_SKIP() << "no adapter with an IPv4 address and a hardware address";
}

TEST(WindowsHostQueries, SendArpAnswersForThisMachinesOwnAddress) {
  if (testing::RunsUnderWine()) GTEST_SKIP() << "SendARP is a stub under Wine (error 50)";
  for (const auto& adapter : hostinfo_platform::ListAdapters()) {
    if (adapter.hardwareAddress.size() != 6 || adapter.addresses.empty()) continue;
    IPAddr own = 0;
    std::memcpy(&own, adapter.addresses.front().data(), sizeof own);
    ULONG reply[2] = {};
    ULONG length = sizeof reply;
    ASSERT_EQ(::SendARP(own, 0, reply, &length), static_cast<DWORD>(NO_ERROR));
    ASSERT_EQ(length, 6u);
    EXPECT_EQ(std::memcmp(reply, adapter.hardwareAddress.data(), 6), 0);
    return;
  }
  GTEST_SKIP() << "no adapter with an IPv4 address and a hardware address";
}

// Only one neighbour on one of this machine's links may be asked, as on Linux: this host on
// 192.168.5.10/24 at interface 7, and a /31 link at interface 9.
TEST(WindowsHostQueries, ArpAsksOnlyForOneNeighbourOnALink) {
  using hostinfo_platform::BestRoute;
  const std::vector<hostinfo_platform::LinkAddress> links = {{7, {192, 168, 5, 10}, 24},
                                                             {9, {10, 0, 0, 0}, 31}};
  const BestRoute onLink7{true, true, 7};
  const BestRoute onLink9{true, true, 9};
  const struct {
    Ipv4Address address;
    BestRoute route;
    bool asked;
  } cases[] = {
      {{192, 168, 5, 20}, onLink7, true},
      {{192, 168, 5, 255}, onLink7, false},  // the link's directed broadcast
      {{192, 168, 5, 0}, onLink7, true},     // the network's own number is a host on old links
      {{10, 0, 0, 1}, onLink9, true},        // a /31 has no broadcast
      {{255, 255, 255, 255}, onLink7, false},
      {{0, 0, 0, 0}, onLink7, false},
      {{224, 0, 0, 251}, onLink7, false},
      {{239, 255, 255, 250}, onLink7, false},
      {{127, 0, 0, 2}, onLink7, false},
      {{8, 8, 8, 8}, BestRoute{true, false, 7}, false},  // behind a gateway
      {{192, 168, 6, 1}, BestRoute{}, false},            // no route at all
  };
  for (const auto& c : cases) {
    EXPECT_EQ(hostinfo_platform::MayAskByArp(c.address, c.route, links), c.asked)
        << int{c.address[0]} << '.' << int{c.address[1]} << '.' << int{c.address[2]} << '.'
        << int{c.address[3]};
  }
}

}  // namespace
}  // namespace hostseal
