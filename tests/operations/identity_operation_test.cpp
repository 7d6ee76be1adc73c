// The host-identity operation with injected host queries, logged into the in-memory box.
#include <gtest/gtest.h>

#include <vector>

#include "hostseal/common/utf8.hpp"
#include "hostseal/operations/identity_operation.hpp"
#include "tests/support/memory_box.hpp"
#include "tests/support/recording_sink.hpp"
#include "tests/ui/identity_oracle.hpp"

namespace hostseal::testing {
namespace {

using Line = MemoryBox::Line;

// Queries that answer from fields and remember what they were asked.
struct FakeHost {
  std::u16string name = u"box1";
  std::u16string address = u"10.0.0.5";
  std::u16string mac = u"00-1A-C-00-FF-5";
  bool macFound = true;
  std::u16string cpu = u"BFEBFBFF000906EA";
  std::optional<InterfaceIdentity> route;

  std::vector<std::u16string> resolved;
  std::vector<std::u16string> arped;
  int routeAsked = 0;

  HostQueries Queries() {
    HostQueries queries;
    queries.hostName = [this] { return name; };
    queries.hostIP = [this](const std::u16string& host) {
      resolved.push_back(host);
      return address;
    };
    queries.macAddress = [this](std::u16string ip, std::u16string& sMac) {
      arped.push_back(ip);
      if (macFound) sMac = mac;
      return macFound;
    };
    queries.cpu = [this] { return cpu; };
    queries.defaultRoute = [this] {
      ++routeAsked;
      return route;
    };
    return queries;
  }
};

class IdentityOperationTest : public ::testing::Test {
 protected:
  bool Run() { return ReportHostIdentity(m_Box, m_Cipher, m_Host.Queries()); }

  Line SealedLine(const std::u16string& name, const std::u16string& address,
                  const std::u16string& mac, const std::u16string& cpu) {
    return {u"Encrypted identity: " + SealWithOracle(ComposeIdentityLine(name, address, mac, cpu)),
            kGreen};
  }

  RecordingSink m_Sink;
  cRijndael m_Cipher{m_Sink};
  MemoryBox m_Box;
  FakeHost m_Host;
};

TEST_F(IdentityOperationTest, ReportsEveryAnswerInGreen) {
  const bool complete = Run();
  const Line sealed = SealedLine(u"box1", u"10.0.0.5", u"00-1A-C-00-FF-5", u"BFEBFBFF000906EA");
  EXPECT_EQ(m_Box.ColouredLines(), (std::vector<Line>{
                                       {u"Host name: box1", kGreen},
                                       {u"IP address: 10.0.0.5", kGreen},
                                       {u"MAC address: 00-1A-C-00-FF-5", kGreen},
                                       {u"CPU: BFEBFBFF000906EA", kGreen},
                                       sealed,
                                   }));
  // The sealed line is one line of all fields.
  EXPECT_EQ(ComposeIdentityLine(u"box1", u"10.0.0.5", u"00-1A-C-00-FF-5", u"BFEBFBFF000906EA"),
            u"host=box1 ip=10.0.0.5 mac=00-1A-C-00-FF-5 cpu=BFEBFBFF000906EA");
  EXPECT_TRUE(complete);
  EXPECT_EQ(m_Host.resolved, std::vector<std::u16string>{u"box1"});
  EXPECT_EQ(m_Host.arped, std::vector<std::u16string>{u"10.0.0.5"});
  EXPECT_EQ(m_Host.routeAsked, 0);
  EXPECT_TRUE(m_Sink.messages.empty());
}

TEST_F(IdentityOperationTest, OnLoopbackTheDefaultRouteInterfaceIdentifiesTheHost) {
  m_Host.address = u"127.0.1.1";
  m_Host.route = InterfaceIdentity{u"eth0", u"192.168.7.2", u"52-54-00-12-34-56"};
  const bool complete = Run();
  const Line sealed = SealedLine(u"box1", u"192.168.7.2", u"52-54-00-12-34-56", m_Host.cpu);
  EXPECT_EQ(m_Box.ColouredLines(), (std::vector<Line>{
                                       {u"Host name: box1", kGreen},
                                       {u"IP address: 127.0.1.1", kGreen},
                                       {u"Default route: interface eth0", kGreen},
                                       {u"Interface address: 192.168.7.2", kGreen},
                                       {u"MAC address: 52-54-00-12-34-56", kGreen},
                                       {u"CPU: BFEBFBFF000906EA", kGreen},
                                       sealed,
                                   }));
  EXPECT_TRUE(complete);
  EXPECT_TRUE(m_Host.arped.empty()) << "a loopback address has no hardware address to ask for";
  EXPECT_EQ(m_Host.routeAsked, 1);
}

TEST_F(IdentityOperationTest, OnLoopbackWithoutARouteOrInterfaceDataTheGapsAreRed) {
  m_Host.address = u"127.0.0.1";
  EXPECT_FALSE(Run());
  std::vector<Line> lines = m_Box.ColouredLines();
  ASSERT_EQ(lines.size(), 5U);
  EXPECT_EQ(lines[2].text.rfind(u"Default route: none", 0), 0U);
  EXPECT_EQ(lines[2].color, kRed);
  EXPECT_EQ(lines.back(), SealedLine(u"box1", u"127.0.0.1", u"", m_Host.cpu));

  MemoryBox box;
  m_Host.route = InterfaceIdentity{u"wg0", u"", u""};
  EXPECT_FALSE(ReportHostIdentity(box, m_Cipher, m_Host.Queries()));
  lines = box.ColouredLines();
  ASSERT_EQ(lines.size(), 7U);
  EXPECT_EQ(lines[3], (Line{u"Interface address: none on wg0", kRed}));
  EXPECT_EQ(lines[4], (Line{u"MAC address: none on wg0", kRed}));
  EXPECT_EQ(lines.back(), SealedLine(u"box1", u"127.0.0.1", u"", m_Host.cpu));
}

TEST_F(IdentityOperationTest, ANameThatDoesNotResolveLeavesNoAddressToLookUp) {
  m_Host.address = u"";
  m_Host.cpu = u"";
  EXPECT_FALSE(Run());
  const std::vector<Line> lines = m_Box.ColouredLines();
  ASSERT_EQ(lines.size(), 5U);
  EXPECT_EQ(lines[0], (Line{u"Host name: box1", kGreen}));
  EXPECT_EQ(lines[1], (Line{u"IP address: \"box1\" does not resolve", kRed}));
  EXPECT_EQ(lines[2], (Line{u"MAC address: no address to look up", kRed}));
  EXPECT_EQ(lines[3], (Line{u"CPU: no processor identifier", kRed}));
  EXPECT_TRUE(m_Host.arped.empty());
  EXPECT_EQ(m_Host.routeAsked, 0);

  MemoryBox box;  // without a name there is nothing to resolve
  m_Host.name = u"";
  EXPECT_FALSE(ReportHostIdentity(box, m_Cipher, m_Host.Queries()));
  EXPECT_EQ(box.ColouredLines()[0], (Line{u"Host name: cannot be read", kRed}));
  EXPECT_EQ(box.ColouredLines()[1], (Line{u"IP address: no host name to resolve", kRed}));
  EXPECT_EQ(m_Host.resolved, std::vector<std::u16string>{u"box1"});
}

TEST_F(IdentityOperationTest, AnUnansweredArpRequestIsRedAndTheRestStillReported) {
  m_Host.macFound = false;
  EXPECT_FALSE(Run());
  const std::vector<Line> lines = m_Box.ColouredLines();
  ASSERT_EQ(lines.size(), 5U);
  EXPECT_EQ(lines[2], (Line{u"MAC address: no reply for 10.0.0.5", kRed}));
  EXPECT_EQ(lines[3], (Line{u"CPU: BFEBFBFF000906EA", kGreen}));
  EXPECT_EQ(lines[4], SealedLine(u"box1", u"10.0.0.5", u"", m_Host.cpu));
}

}  // namespace
}  // namespace hostseal::testing
