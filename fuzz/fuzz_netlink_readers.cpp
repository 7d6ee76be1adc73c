// The rtnetlink readers of the host queries fed raw bytes, as if the kernel had sent them.
//
// Input: byte 0 picks the mode, bytes 1-4 are an IPv4 address for the route decision, the
// rest is the datagram. Mode 0 reads the rest as it is. Mode 1 builds one message from it
// (byte: message type and fixed header kind; then attributes as type low, type high, length,
// value bytes) and checks that every attribute reads back exactly as it was appended.
//
// Checked everywhere: messages and attributes lie inside their buffers, follow one another
// at the aligned offsets their headers name, and stop only at a length that does not fit;
// lookups give the first attribute of their type; the route, neighbour, link and address
// readers give exactly the bytes of the attributes they name; the route decision agrees with
// a separate longest-prefix reading of the same routes.
#include <arpa/inet.h>
#include <linux/if_addr.h>
#include <linux/if_link.h>
#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "fuzz/fuzz_check.hpp"
#include "hostseal/hostinfo/linux/interface_table.hpp"
#include "hostseal/hostinfo/linux/neighbour_table.hpp"
#include "hostseal/hostinfo/linux/netlink_message.hpp"
#include "hostseal/hostinfo/linux/route_table.hpp"

namespace {

using hostseal::Byte;
using hostseal::Ipv4Address;
namespace rtnl = hostseal::rtnl;
using Bytes = std::span<const std::byte>;

constexpr std::size_t Align4(std::size_t length) {
  return (length + 3U) & ~std::size_t{3};
}

// The fixed headers of the message families the readers know.
constexpr std::array<std::size_t, 5> kHeaderSizes{sizeof(ifinfomsg), sizeof(rtmsg), sizeof(ndmsg),
                                                  sizeof(ifaddrmsg), 0};

bool Inside(Bytes part, Bytes whole) {
  return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

bool SameBytes(Bytes value, const std::vector<Byte>& bytes) {
  return value.size() == bytes.size() &&
         std::equal(value.begin(), value.end(), bytes.begin(),
                    [](std::byte a, Byte b) { return static_cast<Byte>(a) == b; });
}

std::optional<Bytes> FirstOfType(const rtnl::AttributeView& view, std::uint16_t type) {
  for (const auto& [attributeType, value] : view.Entries()) {
    if ((attributeType & NLA_TYPE_MASK) == type) return value;
  }
  return std::nullopt;
}

void CheckAttributes(Bytes payload, std::size_t headerSize) {
  const rtnl::AttributeView view(payload, headerSize);
  std::size_t position = Align4(headerSize);
  if (payload.size() < position) {
    FUZZ_CHECK(view.Entries().empty());
    return;
  }
  for (const auto& [type, value] : view.Entries()) {
    FUZZ_CHECK(Inside(value, payload));
    FUZZ_CHECK(value.data() == payload.data() + position + sizeof(rtattr));
    rtattr header;
    std::memcpy(&header, payload.data() + position, sizeof(header));
    FUZZ_CHECK(header.rta_type == type && header.rta_len == value.size() + sizeof(rtattr));
    position = std::min(position + Align4(header.rta_len), payload.size());
  }
  // The reading stopped at the end or at a length that does not fit.
  const std::size_t left = payload.size() - position;
  if (left >= sizeof(rtattr)) {
    rtattr header;
    std::memcpy(&header, payload.data() + position, sizeof(header));
    FUZZ_CHECK(header.rta_len < sizeof(rtattr) || header.rta_len > left);
  }

  for (const std::uint16_t type :
       std::array<std::uint16_t, 5>{IFLA_IFNAME, IFLA_ADDRESS, RTA_DST, RTA_OIF, NDA_LLADDR}) {
    const auto found = view.Find(type);
    const auto expected = FirstOfType(view, type);
    FUZZ_CHECK(found.has_value() == expected.has_value());
    if (found) FUZZ_CHECK(found->data() == expected->data() && found->size() == expected->size());
    const auto text = view.FindString(type);
    FUZZ_CHECK(text.has_value() == found.has_value());
    if (text) {
      FUZZ_CHECK(text->size() <= found->size());
      FUZZ_CHECK(text->find('\0') == std::string::npos);
      FUZZ_CHECK(std::memcmp(text->data(), found->data(), text->size()) == 0);
    }
    const auto value = view.FindValue<std::uint32_t>(type);
    FUZZ_CHECK(value.has_value() == (found && found->size() == sizeof(std::uint32_t)));
  }
}

std::uint32_t AsNumber(const Ipv4Address& address) {
  return std::uint32_t{address[0]} << 24U | std::uint32_t{address[1]} << 16U |
         std::uint32_t{address[2]} << 8U | std::uint32_t{address[3]};
}

// The same decision read separately: 32-bit masks instead of bytes.
void CheckRouteDecision(const std::vector<rtnl::RouteEntry>& routes, const Ipv4Address& address) {
  rtnl::DestinationRoute decision(address);
  rtnl::DefaultRouteChoice defaultRoute;
  const rtnl::RouteEntry* local = nullptr;
  const rtnl::RouteEntry* inMain = nullptr;
  const rtnl::RouteEntry* byDefault = nullptr;
  for (const auto& route : routes) {
    decision.Offer(route);
    defaultRoute.Offer(route);
    FUZZ_CHECK(route.prefixLength <= 32);
    const std::uint32_t mask =
        route.prefixLength == 0 ? 0U : ~std::uint32_t{0} << (32U - route.prefixLength);
    if (((AsNumber(address) ^ AsNumber(route.destination)) & mask) == 0) {
      const auto better = [&](const rtnl::RouteEntry* best) {
        return best == nullptr || route.prefixLength > best->prefixLength ||
               (route.prefixLength == best->prefixLength && route.metric < best->metric);
      };
      if (route.table == RT_TABLE_LOCAL && better(local)) local = &route;
      if (route.table == RT_TABLE_MAIN && better(inMain)) inMain = &route;
    }
    if (route.table == RT_TABLE_MAIN && route.prefixLength == 0 && route.type == RTN_UNICAST &&
        route.outputIndex > 0 && (byDefault == nullptr || route.metric < byDefault->metric)) {
      byDefault = &route;
    }
  }

  using Reach = rtnl::DestinationRoute::Reach;
  Reach expected = Reach::kNone;
  if (address[0] >= 224) {
    expected = Reach::kBroadcast;
  } else if (local != nullptr) {
    if (local->type == RTN_LOCAL) expected = Reach::kLocal;
    if (local->type == RTN_BROADCAST || local->type == RTN_MULTICAST ||
        local->type == RTN_ANYCAST) {
      expected = Reach::kBroadcast;
    }
  } else if (inMain != nullptr && inMain->type == RTN_UNICAST && inMain->outputIndex > 0) {
    expected = inMain->viaGateway ? Reach::kGateway : Reach::kOnLink;
  }
  FUZZ_CHECK(decision.Verdict() == expected);
  const auto* chosen = local != nullptr ? local : inMain;
  FUZZ_CHECK(decision.OutputIndex() == (chosen != nullptr ? chosen->outputIndex : 0));
  FUZZ_CHECK(defaultRoute.OutputIndex() ==
             (byDefault != nullptr ? std::optional<int>(byDefault->outputIndex) : std::nullopt));
}

void CheckReaders(const rtnl::NetlinkMessage& message, std::vector<rtnl::RouteEntry>& routes) {
  if (const auto route = rtnl::ReadRouteEntry(message)) {
    FUZZ_CHECK(message.type == RTM_NEWROUTE);
    const rtnl::AttributeView view(message.payload, sizeof(rtmsg));
    if (route->prefixLength > 0) {
      FUZZ_CHECK(view.FindValue<Ipv4Address>(RTA_DST) == route->destination);
    }
    if (routes.size() < 4096) routes.push_back(*route);
  }

  if (const auto header = rtnl::ReadHeader<ndmsg>(message.payload)) {
    const rtnl::AttributeView view(message.payload, sizeof(ndmsg));
    const auto destination = view.FindValue<Ipv4Address>(NDA_DST).value_or(Ipv4Address{});
    const auto entry = rtnl::ReadNeighbourEntry(message, header->ndm_ifindex, destination);
    const bool wanted = message.type == RTM_NEWNEIGH && header->ndm_family == AF_INET &&
                        view.FindValue<Ipv4Address>(NDA_DST).has_value();
    FUZZ_CHECK(entry.has_value() == wanted);
    if (entry) {
      FUZZ_CHECK(entry->state == header->ndm_state);
      FUZZ_CHECK(SameBytes(view.Find(NDA_LLADDR).value_or(Bytes{}), entry->hardwareAddress));
    }
  }

  if (const auto header = rtnl::ReadHeader<ifinfomsg>(message.payload)) {
    const rtnl::AttributeView view(message.payload, sizeof(ifinfomsg));
    const auto link = rtnl::ReadLinkInfo(message, header->ifi_index);
    FUZZ_CHECK(link.has_value() == (message.type == RTM_NEWLINK));
    if (link) {
      const auto name = view.Find(IFLA_IFNAME).value_or(Bytes{});
      FUZZ_CHECK(link->name.size() <= name.size());
      FUZZ_CHECK(link->name.find('\0') == std::string::npos);
      FUZZ_CHECK(SameBytes(view.Find(IFLA_ADDRESS).value_or(Bytes{}), link->hardwareAddress));
    }
  }

  if (const auto address = rtnl::ReadInterfaceAddress(message)) {
    FUZZ_CHECK(message.type == RTM_NEWADDR);
    const rtnl::AttributeView view(message.payload, sizeof(ifaddrmsg));
    auto named = view.FindValue<Ipv4Address>(IFA_LOCAL);
    if (!named) named = view.FindValue<Ipv4Address>(IFA_ADDRESS);
    FUZZ_CHECK(named == address->address);
  }
}

void CheckDatagram(Bytes datagram, const Ipv4Address& address) {
  const auto messages = rtnl::SplitMessages(datagram);
  FUZZ_CHECK(messages.size() * sizeof(nlmsghdr) <= datagram.size());
  std::size_t position = 0;
  std::vector<rtnl::RouteEntry> routes;
  for (const auto& message : messages) {
    FUZZ_CHECK(Inside(message.payload, datagram));
    FUZZ_CHECK(message.payload.data() == datagram.data() + position + sizeof(nlmsghdr));
    nlmsghdr header;
    std::memcpy(&header, datagram.data() + position, sizeof(header));
    FUZZ_CHECK(header.nlmsg_len == message.payload.size() + sizeof(nlmsghdr));
    FUZZ_CHECK(header.nlmsg_type == message.type && header.nlmsg_flags == message.flags &&
               header.nlmsg_seq == message.sequence && header.nlmsg_pid == message.portId);
    position = std::min(position + Align4(header.nlmsg_len), datagram.size());

    for (const std::size_t headerSize : kHeaderSizes) CheckAttributes(message.payload, headerSize);
    CheckReaders(message, routes);
  }
  const std::size_t left = datagram.size() - position;
  if (left >= sizeof(nlmsghdr)) {
    nlmsghdr header;
    std::memcpy(&header, datagram.data() + position, sizeof(header));
    FUZZ_CHECK(header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > left);
  }
  CheckRouteDecision(routes, address);
}

// Builds one message from the recipe and checks that it reads back as built.
void CheckBuiltMessage(Bytes recipe, const Ipv4Address& address) {
  if (recipe.empty()) return;
  const auto kind = static_cast<unsigned>(recipe[0]);
  recipe = recipe.subspan(1);
  constexpr std::array<std::uint16_t, 4> kTypes{RTM_NEWLINK, RTM_NEWROUTE, RTM_NEWNEIGH,
                                                RTM_NEWADDR};
  const std::size_t headerSize = kHeaderSizes[kind % kTypes.size()];
  rtnl::NetlinkRequest request(kTypes[kind % kTypes.size()], NLM_F_MULTI);
  std::array<std::byte, sizeof(rtmsg) + sizeof(ifinfomsg)> header{};
  const std::size_t headerBytes = std::min(headerSize, recipe.size());
  std::copy_n(recipe.begin(), headerBytes, header.begin());
  recipe = recipe.subspan(headerBytes);
  // The fixed header in its own type, as the readers append it.
  switch (kind % kTypes.size()) {
    case 0:
      request.AppendHeader(rtnl::ReadHeader<ifinfomsg>(header).value());
      break;
    case 1:
      request.AppendHeader(rtnl::ReadHeader<rtmsg>(header).value());
      break;
    case 2:
      request.AppendHeader(rtnl::ReadHeader<ndmsg>(header).value());
      break;
    default:
      request.AppendHeader(rtnl::ReadHeader<ifaddrmsg>(header).value());
      break;
  }

  std::vector<rtnl::AttributeView::Attribute> appended;
  while (recipe.size() >= 3) {
    const auto type = static_cast<std::uint16_t>(static_cast<unsigned>(recipe[0]) |
                                                 static_cast<unsigned>(recipe[1]) << 8U);
    const std::size_t length =
        std::min<std::size_t>(static_cast<std::size_t>(recipe[2]), recipe.size() - 3);
    const Bytes value = recipe.subspan(3, length);
    request.AppendAttribute(type, value);
    appended.emplace_back(type, value);
    recipe = recipe.subspan(3 + length);
  }
  const auto bytes = request.Finish(7);
  const std::vector<std::byte> datagram(bytes.begin(), bytes.end());

  const auto messages = rtnl::SplitMessages(datagram);
  FUZZ_CHECK(messages.size() == 1);
  FUZZ_CHECK(messages[0].payload.size() + sizeof(nlmsghdr) == datagram.size());
  FUZZ_CHECK(messages[0].sequence == 7);
  const rtnl::AttributeView view(messages[0].payload, headerSize);
  FUZZ_CHECK(view.Entries().size() == appended.size());
  for (std::size_t i = 0; i < appended.size(); ++i) {
    const auto& [type, value] = view.Entries()[i];
    FUZZ_CHECK(type == appended[i].first);
    FUZZ_CHECK(std::equal(value.begin(), value.end(), appended[i].second.begin(),
                          appended[i].second.end()));
  }
  CheckDatagram(datagram, address);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
  if (size < 5) return 0;
  const Ipv4Address address{input[1], input[2], input[3], input[4]};
  // An exact copy on the heap, so that a read one byte past the end is caught.
  const std::vector<std::byte> rest(reinterpret_cast<const std::byte*>(input) + 5,
                                    reinterpret_cast<const std::byte*>(input) + size);
  if ((input[0] & 1U) == 0) {
    CheckDatagram(rest, address);
  } else {
    CheckBuiltMessage(rest, address);
  }
  return 0;
}
