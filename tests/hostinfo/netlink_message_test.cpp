// Reading rtnetlink messages: lengths that do not fit stop the reading instead of running past
// the datagram.
#include <linux/netlink.h>
#include <linux/rtnetlink.h>

#include <gtest/gtest.h>

#include <cstring>

#include "hostseal/hostinfo/linux/netlink_message.hpp"

namespace hostseal::rtnl {
namespace {

std::vector<std::byte> MessageWithAttributes(
    const std::vector<std::pair<std::uint16_t, std::string>>& attributes) {
  NetlinkRequest request(RTM_NEWLINK, 0);
  ifinfomsg header{};
  header.ifi_index = 7;
  request.AppendHeader(header);
  for (const auto& [type, value] : attributes) {
    request.AppendAttribute(type, std::as_bytes(std::span{value}));
  }
  const auto bytes = request.Finish(42);
  return {bytes.begin(), bytes.end()};
}

TEST(NetlinkMessage, RequestsReadBackAsTheyWereBuilt) {
  auto datagram = MessageWithAttributes(
      {{IFLA_IFNAME, std::string("eth0\0", 5)}, {IFLA_ADDRESS, "abcdef"}, {IFLA_MTU, "xyz"}});
  // Two messages in one datagram.
  const auto copy = datagram;
  datagram.insert(datagram.end(), copy.begin(), copy.end());

  const auto messages = SplitMessages(datagram);
  ASSERT_EQ(messages.size(), 2U);
  for (const auto& message : messages) {
    EXPECT_EQ(message.type, RTM_NEWLINK);
    EXPECT_EQ(message.sequence, 42U);
    EXPECT_EQ(ReadHeader<ifinfomsg>(message.payload)->ifi_index, 7);
    const AttributeView attributes(message.payload, sizeof(ifinfomsg));
    EXPECT_EQ(attributes.FindString(IFLA_IFNAME), "eth0");
    EXPECT_EQ(attributes.Find(IFLA_ADDRESS).value_or(std::span<const std::byte>{}).size(), 6U);
    EXPECT_EQ(attributes.FindValue<std::uint32_t>(IFLA_MTU), std::nullopt);  // three bytes
    EXPECT_EQ(attributes.Find(IFLA_MASTER), std::nullopt);
  }
}

TEST(NetlinkMessage, LengthsBeyondTheDataStopTheReading) {
  auto datagram =
      MessageWithAttributes({{IFLA_IFNAME, std::string("eth0\0", 5)}, {IFLA_ADDRESS, "abcdef"}});
  // A message that claims more than the datagram holds is not read at all.
  auto longer = datagram;
  nlmsghdr header;
  std::memcpy(&header, longer.data(), sizeof(header));
  header.nlmsg_len += 4;
  std::memcpy(longer.data(), &header, sizeof(header));
  EXPECT_TRUE(SplitMessages(longer).empty());
  EXPECT_TRUE(SplitMessages(std::span{datagram}.first(sizeof(nlmsghdr) - 1)).empty());

  // An attribute that claims more than the message holds ends the attributes before it.
  auto message = SplitMessages(datagram).at(0);
  const std::size_t secondAttribute =
      NLMSG_ALIGN(sizeof(ifinfomsg)) + RTA_ALIGN(sizeof(rtattr) + 5);
  std::vector<std::byte> payload(message.payload.begin(), message.payload.end());
  rtattr attribute;
  std::memcpy(&attribute, payload.data() + secondAttribute, sizeof(attribute));
  attribute.rta_len = 200;
  std::memcpy(payload.data() + secondAttribute, &attribute, sizeof(attribute));
  const AttributeView attributes(payload, sizeof(ifinfomsg));
  EXPECT_EQ(attributes.FindString(IFLA_IFNAME), "eth0");
  EXPECT_EQ(attributes.Find(IFLA_ADDRESS), std::nullopt);
  // A payload shorter than its fixed header has no attributes.
  EXPECT_EQ(AttributeView(std::span{payload}.first(3), sizeof(ifinfomsg)).Find(IFLA_IFNAME),
            std::nullopt);
}

}  // namespace
}  // namespace hostseal::rtnl
