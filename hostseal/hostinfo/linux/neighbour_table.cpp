#include "hostseal/hostinfo/linux/neighbour_table.hpp"

#include <linux/neighbour.h>
#include <linux/rtnetlink.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>

#include "hostseal/hostinfo/linux/unique_fd.hpp"

namespace hostseal::rtnl {
namespace {

constexpr std::uint16_t kDiscardPort = 9;

// The entry that a neighbour message describes, when it is the address on the link.
std::optional<NeighbourEntry> ReadEntry(const NetlinkMessage& message, int index,
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

std::vector<Byte> UsableAddress(const std::optional<NeighbourEntry>& entry) {
  if (!entry || !IsCompleteNeighbourState(entry->state)) return {};
  return entry->hardwareAddress;
}

}  // namespace

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
    if (!found) found = ReadEntry(message, index, address);
  });
  return answered ? found : std::nullopt;
}

bool StartResolution(const Ipv4Address& address) {
  UniqueFd fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  if (!fd.Valid()) return false;
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(kDiscardPort);
  std::memcpy(&target.sin_addr, address.data(), address.size());
  const ssize_t sent = ::sendto(fd.Get(), nullptr, 0, MSG_DONTWAIT,
                                reinterpret_cast<const sockaddr*>(&target), sizeof(target));
  return sent == 0;
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
  if (!StartResolution(address)) return {};

  for (;;) {
    std::vector<Byte> answer;
    bool failed = false;
    const auto wait = notifications->Receive(deadline, [&](const NetlinkMessage& message) {
      const auto update = ReadEntry(message, index, address);
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
