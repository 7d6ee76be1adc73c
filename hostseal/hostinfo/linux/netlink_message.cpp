#include "hostseal/hostinfo/linux/netlink_message.hpp"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>

#include <algorithm>

namespace hostseal::rtnl {
namespace {

constexpr std::size_t AlignNetlink(std::size_t length) {
  return (length + NLMSG_ALIGNTO - 1) & ~static_cast<std::size_t>(NLMSG_ALIGNTO - 1);
}
constexpr std::size_t AlignAttribute(std::size_t length) {
  return (length + RTA_ALIGNTO - 1) & ~static_cast<std::size_t>(RTA_ALIGNTO - 1);
}

}  // namespace

NetlinkRequest::NetlinkRequest(std::uint16_t type, std::uint16_t flags) {
  nlmsghdr header{};
  header.nlmsg_type = type;
  header.nlmsg_flags = flags;
  AppendAligned(std::as_bytes(std::span{&header, 1}));
}

void NetlinkRequest::AppendAligned(std::span<const std::byte> bytes) {
  m_Bytes.insert(m_Bytes.end(), bytes.begin(), bytes.end());
  m_Bytes.resize(AlignNetlink(m_Bytes.size()));
}

void NetlinkRequest::AppendAttribute(std::uint16_t type, std::span<const std::byte> value) {
  rtattr attribute{};
  attribute.rta_len = static_cast<unsigned short>(sizeof(rtattr) + value.size());
  attribute.rta_type = type;
  const auto head = std::as_bytes(std::span{&attribute, 1});
  m_Bytes.insert(m_Bytes.end(), head.begin(), head.end());
  m_Bytes.insert(m_Bytes.end(), value.begin(), value.end());
  m_Bytes.resize(AlignAttribute(m_Bytes.size()));
}

std::span<const std::byte> NetlinkRequest::Finish(std::uint32_t sequence) {
  auto header = *ReadHeader<nlmsghdr>(m_Bytes);
  header.nlmsg_len = static_cast<std::uint32_t>(m_Bytes.size());
  header.nlmsg_seq = sequence;
  std::memcpy(m_Bytes.data(), &header, sizeof(header));
  return m_Bytes;
}

std::vector<NetlinkMessage> SplitMessages(std::span<const std::byte> datagram) {
  std::vector<NetlinkMessage> messages;
  while (datagram.size() >= sizeof(nlmsghdr)) {
    const auto header = *ReadHeader<nlmsghdr>(datagram);
    if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > datagram.size()) break;
    NetlinkMessage message;
    message.type = header.nlmsg_type;
    message.flags = header.nlmsg_flags;
    message.sequence = header.nlmsg_seq;
    message.portId = header.nlmsg_pid;
    message.payload = datagram.subspan(sizeof(nlmsghdr), header.nlmsg_len - sizeof(nlmsghdr));
    messages.push_back(message);
    datagram = datagram.subspan(std::min(AlignNetlink(header.nlmsg_len), datagram.size()));
  }
  return messages;
}

AttributeView::AttributeView(std::span<const std::byte> payload, std::size_t headerSize) {
  const std::size_t start = AlignNetlink(headerSize);
  if (payload.size() < start) return;
  auto rest = payload.subspan(start);
  while (rest.size() >= sizeof(rtattr)) {
    const auto attribute = *ReadHeader<rtattr>(rest);
    if (attribute.rta_len < sizeof(rtattr) || attribute.rta_len > rest.size()) break;
    m_Attributes.emplace_back(attribute.rta_type,
                              rest.subspan(sizeof(rtattr), attribute.rta_len - sizeof(rtattr)));
    rest = rest.subspan(std::min(AlignAttribute(attribute.rta_len), rest.size()));
  }
}

std::optional<std::span<const std::byte>> AttributeView::Find(std::uint16_t type) const {
  for (const auto& [attributeType, value] : m_Attributes) {
    // The top bits mark nested and byte-order attributes; the type is in the rest.
    if ((attributeType & NLA_TYPE_MASK) == type) return value;
  }
  return std::nullopt;
}

std::optional<std::string> AttributeView::FindString(std::uint16_t type) const {
  const auto bytes = Find(type);
  if (!bytes) return std::nullopt;
  std::string text;
  for (const std::byte b : *bytes) {
    if (b == std::byte{0}) break;
    text += static_cast<char>(b);
  }
  return text;
}

}  // namespace hostseal::rtnl
