#include "hostseal/hostinfo/linux/neighbour_table.hpp"

#include <linux/neighbour.h>
#include <linux/rtnetlink.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "hostseal/fs/linux/file_descriptor.hpp"

namespace hostseal::rtnl {
namespace {

constexpr std::uint16_t kDiscardPort = 9;

std::vector<Byte> UsableAddress(const std::optional<NeighbourEntry>& entry) {
  if (!entry || !IsCompleteNeighbourState(entry->state)) return {};
  return entry->hardwareAddress;
}

}  // namespace

std::optional<NeighbourEntry> ReadNeighbourEntry(const NetlinkMessage& message, int index,
                                                 const Ipv4Address& address) {
  if (message.type != RTM_NEWNEIGH) return std::nullopt;
  const auto header = ReadHeader<ndmsg>(message.payload);
  if (!header || header->ndm_family != AF_INET || header->ndm_ifindex != index) {
    return std::nullopt;
  }
  const AttributeView attributes(message.payload, sizeof(ndmsg));
  if (attributes.FindValue<Ipv4Address>(NDA_DST) != address) return std::nullopt;
  NeighbourEntry entry;
  entry.state = header->ndm_state;
  if (const auto lladdr = attributes.Find(NDA_LLADDR)) {
    std::transform(lladdr->begin(), lladdr->end(), std::back_inserter(entry.hardwareAddress),
                   [](std::byte b) { return static_cast<Byte>(b); });
  }
  return entry;
}

bool IsCompleteNeighbourState(std::uint16_t state) {
  constexpr std::uint16_t kComplete =
      NUD_REACHABLE | NUD_STALE | NUD_DELAY | NUD_PROBE | NUD_PERMANENT;
  return (state & kComplete) != 0;
}

std::optional<NeighbourEntry> FindNeighbour(RouteNetlinkSocket& socket, int index,
                                            const Ipv4Address& address) {
  NetlinkRequest request(RTM_GETNEIGH, NLM_F_REQUEST | NLM_F_DUMP);
  ndmsg query{};
  query.ndm_family = AF_INET;
  query.ndm_ifindex = index;  // newer kernels filter by it; older ones list every link
  request.AppendHeader(query);

  std::optional<NeighbourEntry> found;
  const bool answered = socket.Exchange(request, [&](const NetlinkMessage& message) {
    if (!found) found = ReadNeighbourEntry(message, index, address);
  });
  return answered ? found : std::nullopt;
}

bool StartResolution(int index, const Ipv4Address& address) {
  if (index <= 0) return false;
  FileDescriptor fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  if (!fd.IsOpen()) return false;
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(kDiscardPort);
  std::memcpy(&target.sin_addr, address.data(), address.size());

  // The link is named with the datagram (IP_PKTINFO) and MSG_DONTROUTE keeps it off every
  // gateway, so policy rules that route the address elsewhere cannot send it another way.
  in_pktinfo link{};
  link.ipi_ifindex = index;
  alignas(cmsghdr) std::array<unsigned char, CMSG_SPACE(sizeof(in_pktinfo))> control{};
  msghdr header{};
  header.msg_name = &target;
  header.msg_namelen = sizeof(target);
  header.msg_control = control.data();
  header.msg_controllen = control.size();
  cmsghdr* const item = CMSG_FIRSTHDR(&header);
  item->cmsg_level = IPPROTO_IP;
  item->cmsg_type = IP_PKTINFO;
  item->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
  std::memcpy(CMSG_DATA(item), &link, sizeof(link));

  return ::sendmsg(fd.Get(), &header, MSG_DONTWAIT | MSG_DONTROUTE) == 0;
}

std::vector<Byte> ResolveNeighbour(int index, const Ipv4Address& address,
                                   std::chrono::milliseconds waitBound) {
  using Clock = RouteNetlinkSocket::Clock;
  const auto deadline = Clock::now() + waitBound;

  auto queries = RouteNetlinkSocket::Open();
  if (!queries) return {};
  // Listen before looking, so that an answer between the look and the wait is not missed.
  auto notifications = RouteNetlinkSocket::Open(RTMGRP_NEIGH);

  auto entry = FindNeighbour(*queries, index, address);
  if (auto known = UsableAddress(entry); !known.empty()) return known;
  if (!notifications || waitBound.count() <= 0) return {};
  if (!StartResolution(index, address)) return {};

  for (;;) {
    std::vector<Byte> answer;
    bool failed = false;
    const auto wait = notifications->Receive(deadline, [&](const NetlinkMessage& message) {
      const auto update = ReadNeighbourEntry(message, index, address);
      if (!update) return;
      if (IsCompleteNeighbourState(update->state)) {
        answer = update->hardwareAddress;
      } else if ((update->state & NUD_FAILED) != 0) {
        failed = true;
      }
    });
    if (!answer.empty()) return answer;
    if (failed) return {};
    switch (wait) {
      case RouteNetlinkSocket::Wait::kReceived:
        break;
      case RouteNetlinkSocket::Wait::kOverrun:
        // Some notifications were lost; the table itself still tells the truth.
        if (auto known = UsableAddress(FindNeighbour(*queries, index, address)); !known.empty()) {
          return known;
        }
        break;
      case RouteNetlinkSocket::Wait::kTimedOut:
      case RouteNetlinkSocket::Wait::kFailed:
        return {};
    }
  }
}

}  // namespace hostseal::rtnl
