// MAC::GetMacAddress and GetDefaultRouteInterface inside two network namespaces joined by a
// veth pair that the test creates: every packet stays between the two namespaces.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "hostseal/common/utf8.hpp"
#include "hostseal/hostinfo/default_route.hpp"
#include "hostseal/hostinfo/mac.hpp"
#include "tests/hostinfo/network_namespace.hpp"
#include "tests/support/linux/file_test_support.hpp"

namespace hostseal {
namespace {

using test::NetworkNamespace;
using namespace std::chrono_literals;

constexpr char kNearAddress[] = "10.213.7.1";
constexpr char kPeerAddress[] = "10.213.7.2";
constexpr char kNearMac[] = "02:00:00:ab:00:0f";
constexpr char kPeerMac[] = "00:0c:29:0a:0b:01";
// A second pair of links between the namespaces: the far end is a gateway that policy routing
// in the near namespace may point at.
constexpr char kNearGatewaySide[] = "10.213.8.1";
constexpr char kGatewayAddress[] = "10.213.8.254";
constexpr char kGatewayMac[] = "00:0c:29:0a:0b:99";

class NeighbourNamespaces : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (::geteuid() != 0) return;
    s_Near = std::make_unique<NetworkNamespace>(test::UniqueName("hostseal-near-"));
    s_Far = std::make_unique<NetworkNamespace>(test::UniqueName("hostseal-far-"));
    s_NearLink = test::UniqueName("hs") + "n";
    const std::string base = s_NearLink.substr(0, s_NearLink.size() - 1);
    s_FarLink = base + "f";
    s_NearGatewayLink = base + "g";
    const std::string farGatewayLink = base + "h";
    s_Ready =
        s_Near->Created() && s_Far->Created() &&
        s_Near->Ip({"link", "add", s_NearLink, "type", "veth", "peer", "name", s_FarLink, "netns",
                    s_Far->Name()}) &&
        s_Near->Ip({"link", "set", s_NearLink, "address", kNearMac}) &&
        s_Far->Ip({"link", "set", s_FarLink, "address", kPeerMac}) &&
        s_Near->Ip(
            {"addr", "add", std::string(kNearAddress) + "/24", "brd", "+", "dev", s_NearLink}) &&
        s_Far->Ip({"addr", "add", std::string(kPeerAddress) + "/24", "dev", s_FarLink}) &&
        s_Near->Ip({"link", "set", "lo", "up"}) && s_Far->Ip({"link", "set", "lo", "up"}) &&
        s_Near->Ip({"link", "set", s_NearLink, "up"}) &&
        s_Far->Ip({"link", "set", s_FarLink, "up"}) &&
        s_Far->Ip({"route", "add", "default", "via", kNearAddress, "dev", s_FarLink}) &&
        s_Near->Ip({"link", "add", s_NearGatewayLink, "type", "veth", "peer", "name",
                    farGatewayLink, "netns", s_Far->Name()}) &&
        s_Far->Ip({"link", "set", farGatewayLink, "address", kGatewayMac}) &&
        s_Near->Ip(
            {"addr", "add", std::string(kNearGatewaySide) + "/24", "dev", s_NearGatewayLink}) &&
        s_Far->Ip({"addr", "add", std::string(kGatewayAddress) + "/24", "dev", farGatewayLink}) &&
        s_Near->Ip({"link", "set", s_NearGatewayLink, "up"}) &&
        s_Far->Ip({"link", "set", farGatewayLink, "up"});
  }
  static void TearDownTestSuite() {
    s_Far.reset();
    s_Near.reset();
  }
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to create network namespaces";
    ASSERT_TRUE(s_Ready) << "could not build the veth pair between the test's namespaces";
  }

  // Runs GetMacAddress for each text inside a namespace; each result is the text it set, or
  // "false:" followed by the unchanged value of sMac, and a newline.
  static std::string QueryMacs(const NetworkNamespace& space, const std::vector<std::string>& texts,
                               std::chrono::milliseconds bound) {
    return testing::RunInChild([&]() -> std::string {
      if (!space.Enter()) return "!setns";
      std::string results;
      for (const auto& text : texts) {
        std::u16string mac = u"keep";
        const bool found = MAC::GetMacAddress(FromUtf8(text), mac, bound);
        results += (found ? "" : "false:") + ToUtf8(mac) + "\n";
      }
      return results;
    });
  }

  static std::unique_ptr<NetworkNamespace> s_Near;
  static std::unique_ptr<NetworkNamespace> s_Far;
  static std::string s_NearLink;
  static std::string s_FarLink;
  static std::string s_NearGatewayLink;
  static bool s_Ready;
};

std::unique_ptr<NetworkNamespace> NeighbourNamespaces::s_Near;
std::unique_ptr<NetworkNamespace> NeighbourNamespaces::s_Far;
std::string NeighbourNamespaces::s_NearLink;
std::string NeighbourNamespaces::s_FarLink;
std::string NeighbourNamespaces::s_NearGatewayLink;
bool NeighbourNamespaces::s_Ready = false;

TEST_F(NeighbourNamespaces, PeerIsResolvedAndThenFoundInTheTable) {
  // The first query starts the resolution; the second finds the learned entry.
  const auto results = QueryMacs(*s_Near, {kPeerAddress, kPeerAddress}, 1000ms);
  EXPECT_EQ(results, "00-C-29-A-B-1\n00-C-29-A-B-1\n");
  const auto table = s_Near->Ip({"neigh", "show", kPeerAddress});
  ASSERT_TRUE(table.has_value());
  EXPECT_NE(table->find(kPeerMac), std::string::npos) << *table;
}

// The fixture gave the links kNearMac and kPeerMac.
TEST_F(NeighbourNamespaces, OwnInterfacesGiveTheirOwnAddress) {
  EXPECT_EQ(QueryMacs(*s_Near, {kNearAddress}, 300ms), "2-00-00-AB-00-F\n");
  EXPECT_EQ(QueryMacs(*s_Far, {kPeerAddress}, 300ms), "00-C-29-A-B-1\n");
}

TEST_F(NeighbourNamespaces, TableEntriesFollowTheTextRules) {
  ASSERT_TRUE(s_Near->Ip({"neigh", "replace", "10.213.7.9", "lladdr", "00:1a:0c:00:ff:05", "dev",
                          s_NearLink, "nud", "permanent"}));
  ASSERT_TRUE(s_Near->Ip({"neigh", "replace", "10.213.7.10", "lladdr", "00:00:00:00:12:34", "dev",
                          s_NearLink, "nud", "permanent"}));
  EXPECT_EQ(QueryMacs(*s_Near, {"10.213.7.9", "10.213.7.10"}, 300ms),
            "00-1A-C-00-FF-5\nfalse:keep\n");
}

// Texts that are no address are refused before any look-up (host_text_test).
TEST_F(NeighbourNamespaces, AddressesWithoutAnAnswerGiveFalseAndKeepTheText) {
  const std::vector<std::string> texts = {
      "10.213.7.3",    // in the subnet, nobody there: bounded wait
      "0.0.0.0",       //
      "127.0.0.1",     // loopback's all-zero address
      "127.0.0.2",     //
      "10.213.7.255",  // the subnet's broadcast
      "192.0.2.77",    // no route from this namespace
      "224.0.0.1",     //
  };
  std::string expected;
  for (std::size_t i = 0; i < texts.size(); ++i) expected += "false:keep\n";
  EXPECT_EQ(QueryMacs(*s_Near, texts, 300ms), expected);
}

// A rule of the near namespace that sends traffic toward one address through table 100, and
// the table's route for it; both removed when the case ends.
class PolicyRoute {
 public:
  PolicyRoute(const NetworkNamespace& space, std::vector<std::string> selector,
              std::vector<std::string> route)
      : m_Space(space), m_Selector(std::move(selector)), m_Route(std::move(route)) {
    m_Added = Change("add");
  }
  ~PolicyRoute() {
    if (m_Added) Change("del");
  }
  PolicyRoute(const PolicyRoute&) = delete;
  PolicyRoute& operator=(const PolicyRoute&) = delete;
  bool Added() const { return m_Added; }

 private:
  bool Change(const std::string& verb) const {
    std::vector<std::string> rule = {"rule", verb};
    rule.insert(rule.end(), m_Selector.begin(), m_Selector.end());
    rule.insert(rule.end(), {"lookup", "100"});
    std::vector<std::string> route = {"route", verb};
    route.insert(route.end(), m_Route.begin(), m_Route.end());
    route.insert(route.end(), {"table", "100"});
    return m_Space.Ip(route) && m_Space.Ip(rule);
  }

  const NetworkNamespace& m_Space;
  std::vector<std::string> m_Selector;
  std::vector<std::string> m_Route;
  bool m_Added = false;
};

TEST_F(NeighbourNamespaces, PolicyRoutingDoesNotTakeTheProbeOffTheLink) {
  // Each peer address lives on the far link beside the first one (so its hardware address is
  // the far link's), is not in the neighbour table yet, and has policy routing that would send
  // ordinary traffic toward it another way.
  struct Case {
    std::string address;
    std::vector<std::string> selector;
    std::vector<std::string> route;
  };
  const std::vector<Case> cases = {
      // Everything toward it goes through the gateway on the other link.
      {"10.213.7.21", {"to", "10.213.7.21"}, {"10.213.7.21", "via", kGatewayAddress}},
      // Only UDP goes through the gateway: the route the kernel reports for the address
      // itself stays on the link, the probe's datagram would not.
      {"10.213.7.22",
       {"to", "10.213.7.22", "ipproto", "udp"},
       {"10.213.7.22", "via", kGatewayAddress}},
      // Through a gateway on the same link: the right link, but the wrong neighbour.
      {"10.213.7.24",
       {"to", "10.213.7.24"},
       {"10.213.7.24", "via", kPeerAddress, "dev", s_NearLink}},
      // Sent straight out of the other link, where the far namespace answers for the address
      // with the gateway link's hardware address.
      {"10.213.7.23", {"to", "10.213.7.23"}, {"10.213.7.23", "dev", s_NearGatewayLink}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    ASSERT_TRUE(s_Far->Ip({"addr", "add", c.address + "/24", "dev", s_FarLink}));
    const PolicyRoute policy(*s_Near, c.selector, c.route);
    ASSERT_TRUE(policy.Added());
    EXPECT_EQ(QueryMacs(*s_Near, {c.address}, 1000ms), "00-C-29-A-B-1\n");
    // The neighbour was learned on the link, with the hardware address that ip link shows.
    const auto table = s_Near->Ip({"neigh", "show", c.address, "dev", s_NearLink});
    ASSERT_TRUE(table.has_value());
    EXPECT_NE(table->find(kPeerMac), std::string::npos) << *table;
  }

  // On-link means a connected route of the main table: an address that only policy routing
  // puts on a link has no neighbour to ask, like any other address without such a route.
  const PolicyRoute onlyByPolicy(*s_Near, {"to", "192.0.2.78"}, {"192.0.2.78", "dev", s_NearLink});
  ASSERT_TRUE(onlyByPolicy.Added());
  EXPECT_EQ(QueryMacs(*s_Near, {"192.0.2.78"}, 300ms), "false:keep\n");
}

TEST_F(NeighbourNamespaces, DefaultRouteInterfaceIsFoundOnlyWhereThereIsOne) {
  const std::string lines = testing::RunInChild([&]() -> std::string {
    std::string results;
    for (const auto* space : {s_Far.get(), s_Near.get()}) {
      if (!space->Enter()) return "!setns";
      const auto found = GetDefaultRouteInterface();
      results += found ? ToUtf8(found->name) + " " + ToUtf8(found->address) + " " +
                             ToUtf8(found->mac) + "\n"
                       : "none\n";
    }
    return results;
  });
  EXPECT_EQ(lines, s_FarLink + " " + kPeerAddress + " 00-C-29-A-B-1\nnone\n");
}

}  // namespace
}  // namespace hostseal
