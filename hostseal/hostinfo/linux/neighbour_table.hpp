// The kernel's IPv4 neighbour table (what ARP has learned): reading an entry, starting the
// resolution of a neighbour that is not known yet, and waiting a bounded time for its answer.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "hostseal/common/byte_array.hpp"
#include "hostseal/hostinfo/ipv4_text.hpp"
#include "hostseal/hostinfo/linux/netlink_socket.hpp"

namespace hostseal::rtnl {

// An entry whose hardware address can be used: reachable, stale, delayed, being probed again,
// or permanent. Incomplete and failed entries do not count.
bool IsCompleteNeighbourState(std::uint16_t state);

struct NeighbourEntry {
  std::uint16_t state = 0;  // NUD_*
  std::vector<Byte> hardwareAddress;
};

// The entry that one neighbour message describes, when it is the address on the link index.
std::optional<NeighbourEntry> ReadNeighbourEntry(const NetlinkMessage& message, int index,
                                                 const Ipv4Address& address);

// The table's entry for the address on the link, if there is one (in any state).
std::optional<NeighbourEntry> FindNeighbour(RouteNetlinkSocket& socket, int index,
                                            const Ipv4Address& address);

// Makes the kernel resolve the address on the link index the way any outgoing packet would:
// one empty UDP datagram to the discard port, sent out of that link straight to the address
// (never to a gateway), queued by the kernel until the neighbour answers. False when the
// datagram could not be handed to the kernel.
bool StartResolution(int index, const Ipv4Address& address);

// The hardware address of the neighbour on the link: at once when the table has a complete
// entry, otherwise after starting the resolution and waiting at most waitBound for the entry to
// become complete. Empty when it does not (or the resolution fails first).
std::vector<Byte> ResolveNeighbour(int index, const Ipv4Address& address,
                                   std::chrono::milliseconds waitBound);

}  // namespace hostseal::rtnl
