// Reading route messages and deciding how the host's own tables reach an address: the local
// table before the main one, longest prefix, then lowest metric; policy tables never count.
#include <arpa/inet.h>
#include <linux/rtnetlink.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "hostseal/hostinfo/linux/route_table.hpp"

namespace hostseal::rtnl {
namespace {

Ipv4Address Address(const char* text) {
  Ipv4Address address{};
  EXPECT_EQ(::inet_pton(AF_INET, text, address.data()), 1) << text;
  return address;
}

struct Route {
  Route(std::uint32_t tableId, unsigned char routeType, std::string destination,
        std::uint32_t link = 0, std::string via = "", std::uint32_t priority = 0,
        bool oneHop = false)
      : table(tableId),
        type(routeType),
        prefix(std::move(destination)),
        index(link),
        gateway(std::move(via)),
        metric(priority),
        multipath(oneHop) {}

  std::uint32_t table;
  unsigned char type;
  std::string prefix;  // "10.1.0.0/16", "default"
  std::uint32_t index;
  std::string gateway;  // "" for none
  std::uint32_t metric;
  bool multipath;  // the interface and gateway in one next hop instead
};

// The RTM_NEWROUTE message the kernel would send for the route.
std::vector<std::byte> RouteMessage(const Route& route) {
  NetlinkRequest request(RTM_NEWROUTE, NLM_F_MULTI);
  rtmsg header{};
  header.rtm_family = AF_INET;
  header.rtm_table = static_cast<unsigned char>(route.table < 256 ? route.table : RT_TABLE_COMPAT);
  header.rtm_type = route.type;
  const auto slash = route.prefix.find('/');
  if (slash != std::string::npos) {
    header.rtm_dst_len = static_cast<unsigned char>(std::stoi(route.prefix.substr(slash + 1)));
  }
  request.AppendHeader(header);
  const auto asBytes = [](const auto& value) { return std::as_bytes(std::span{&value, 1}); };
  request.AppendAttribute(RTA_TABLE, asBytes(route.table));
  if (slash != std::string::npos) {
    request.AppendAttribute(RTA_DST, asBytes(Address(route.prefix.substr(0, slash).c_str())));
  }
  if (route.metric != 0) request.AppendAttribute(RTA_PRIORITY, asBytes(route.metric));
  if (route.multipath) {
    // One next hop: its fixed part, then its gateway attribute.
    std::vector<std::byte> hop(sizeof(rtnexthop) + RTA_SPACE(4));
    rtnexthop fixed{};
    fixed.rtnh_len = static_cast<unsigned short>(hop.size());
    fixed.rtnh_ifindex = static_cast<int>(route.index);
    std::memcpy(hop.data(), &fixed, sizeof(fixed));
    rtattr gateway{static_cast<unsigned short>(RTA_LENGTH(4)), RTA_GATEWAY};
    std::memcpy(hop.data() + sizeof(fixed), &gateway, sizeof(gateway));
    std::memcpy(hop.data() + sizeof(fixed) + sizeof(gateway), Address(route.gateway.c_str()).data(),
                4);
    request.AppendAttribute(RTA_MULTIPATH, hop);
  } else {
    if (route.index != 0) request.AppendAttribute(RTA_OIF, asBytes(route.index));
    if (!route.gateway.empty()) {
      request.AppendAttribute(RTA_GATEWAY, asBytes(Address(route.gateway.c_str())));
    }
  }
  const auto bytes = request.Finish(1);
  return {bytes.begin(), bytes.end()};
}

std::optional<RouteEntry> Read(const std::vector<std::byte>& message) {
  const auto messages = SplitMessages(message);
  return messages.size() == 1 ? ReadRouteEntry(messages[0]) : std::nullopt;
}

// A host with two links (3 and 4) on 10.1.0.0/16, a gateway for 10/8 and the default on link 2,
// and a policy table that would send 10.1.2.3 through a gateway on link 5.
std::vector<Route> HostRoutes() {
  return {
      {RT_TABLE_LOCAL, RTN_LOCAL, "127.0.0.0/8", 1},
      {RT_TABLE_LOCAL, RTN_BROADCAST, "10.1.255.255/32", 3},
      {RT_TABLE_MAIN, RTN_UNICAST, "default", 2, "192.168.0.1", 100},
      {RT_TABLE_MAIN, RTN_UNICAST, "10.0.0.0/8", 2, "192.168.0.1"},
      {RT_TABLE_MAIN, RTN_UNICAST, "10.1.0.0/16", 3, "", 200},
      {RT_TABLE_MAIN, RTN_UNICAST, "10.1.0.0/16", 4, "", 50},
      {RT_TABLE_MAIN, RTN_UNICAST, "10.1.0.0/16", 6, "", 50},
      {RT_TABLE_MAIN, RTN_BLACKHOLE, "10.9.0.0/16"},
      {100, RTN_UNICAST, "10.1.2.3/32", 5, "10.5.0.1"},
      {100, RTN_UNICAST, "192.0.2.0/24", 5},
  };
}

TEST(RouteTable, TheLocalThenTheMainTableDecideHowAnAddressIsReached) {
  using Reach = DestinationRoute::Reach;
  const auto decide = [](const char* text, bool withoutDefault = false) {
    DestinationRoute decision(Address(text));
    for (const Route& host : HostRoutes()) {
      if (withoutDefault && host.prefix == "default") continue;
      const auto route = Read(RouteMessage(host));
      EXPECT_TRUE(route.has_value()) << host.prefix;
      if (route) decision.Offer(*route);
    }
    return std::pair{decision.Verdict(), decision.OutputIndex()};
  };
  // Longest prefix, then lowest metric, then the first listed; table 100 is never asked.
  EXPECT_EQ(decide("10.1.2.3"), std::pair(Reach::kOnLink, 4));
  EXPECT_EQ(decide("10.2.0.1"), std::pair(Reach::kGateway, 2));
  EXPECT_EQ(decide("192.0.2.9"), std::pair(Reach::kGateway, 2));
  EXPECT_EQ(decide("192.0.2.9", true).first, Reach::kNone);
  EXPECT_EQ(decide("10.9.1.1").first, Reach::kNone);
  // The local table comes first, whatever the main table says.
  EXPECT_EQ(decide("10.1.255.255").first, Reach::kBroadcast);
  EXPECT_EQ(decide("127.0.0.2"), std::pair(Reach::kLocal, 1));
  EXPECT_EQ(decide("224.0.0.1").first, Reach::kBroadcast);
  EXPECT_EQ(decide("255.255.255.255").first, Reach::kBroadcast);
}

TEST(RouteTable, MessagesReadBackAndMalformedOnesAreRefused) {
  const auto hop =
      Read(RouteMessage({RT_TABLE_MAIN, RTN_UNICAST, "10.7.0.0/17", 9, "10.7.0.1", 7, true}));
  ASSERT_TRUE(hop.has_value());
  EXPECT_EQ(hop->destination, Address("10.7.0.0"));
  EXPECT_EQ(hop->prefixLength, 17);
  EXPECT_EQ(hop->outputIndex, 9);
  EXPECT_TRUE(hop->viaGateway);
  EXPECT_EQ(hop->metric, 7U);
  EXPECT_EQ(hop->table, static_cast<std::uint32_t>(RT_TABLE_MAIN));

  // A prefix longer than an address, and a prefix without its destination.
  auto message = RouteMessage({RT_TABLE_MAIN, RTN_UNICAST, "10.7.0.0/17", 9});
  rtmsg header;
  std::memcpy(&header, message.data() + NLMSG_HDRLEN, sizeof(header));
  header.rtm_dst_len = 33;
  std::memcpy(message.data() + NLMSG_HDRLEN, &header, sizeof(header));
  EXPECT_EQ(Read(message), std::nullopt);
  message = RouteMessage({RT_TABLE_MAIN, RTN_UNICAST, "default", 9});
  header.rtm_dst_len = 8;
  std::memcpy(message.data() + NLMSG_HDRLEN, &header, sizeof(header));
  EXPECT_EQ(Read(message), std::nullopt);
}

TEST(RouteTable, DefaultRouteIsTheMainTablesLowestMetric) {
  DefaultRouteChoice choice;
  for (const Route& route : std::vector<Route>{
           {100, RTN_UNICAST, "default", 8, "10.0.0.1", 1},
           {RT_TABLE_MAIN, RTN_UNREACHABLE, "default", 0, "", 2},
           {RT_TABLE_MAIN, RTN_UNICAST, "default", 3, "10.0.0.1", 20},
           {RT_TABLE_MAIN, RTN_UNICAST, "0.0.0.0/1", 7, "10.0.0.1", 1},
           {RT_TABLE_MAIN, RTN_UNICAST, "default", 4, "10.0.0.1", 10},
           {RT_TABLE_MAIN, RTN_UNICAST, "default", 5, "10.0.0.1", 10},
       }) {
    if (const auto entry = Read(RouteMessage(route))) choice.Offer(*entry);
  }
  EXPECT_EQ(choice.OutputIndex(), 4);
}

}  // namespace
}  // namespace hostseal::rtnl
