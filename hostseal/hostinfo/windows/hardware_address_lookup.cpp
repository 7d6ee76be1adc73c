// The Windows side of MAC::GetMacAddress: an own adapter's address answers for itself; any
// other goes to SendARP only when the route table puts it on one of this machine's links
// (ArpTarget). SendARP blocks for as long as the system waits for an answer, so it runs on a
// thread of its own and the caller waits at most its bound; a thread that outlives the bound
// finishes on its own and its answer is dropped.
#include <winsock2.h>

#include <iphlpapi.h>

#include <array>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "hostseal/hostinfo/host_platform.hpp"
#include "hostseal/hostinfo/windows/adapter_table.hpp"
#include "hostseal/hostinfo/windows/arp_target.hpp"

namespace hostseal::hostinfo_platform {

namespace {

constexpr std::size_t kMacLength = 6;  // what SendARP writes for Ethernet and Wi-Fi

BestRoute FindBestRoute(IPAddr destination) {
  MIB_IPFORWARDROW row{};
  BestRoute route;
  if (::GetBestRoute(destination, 0, &row) != NO_ERROR) return route;
  route.found = true;
  route.onLink = row.dwForwardType == MIB_IPROUTE_TYPE_DIRECT;
  route.interfaceIndex = row.dwForwardIfIndex;
  return route;
}

// The answer of one SendARP, shared by the caller and the thread that waits for it.
struct ArpQuery {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  std::vector<Byte> answer;
};

std::vector<Byte> AskByArp(IPAddr destination, std::chrono::milliseconds waitBound) {
  auto query = std::make_shared<ArpQuery>();
  std::thread([query, destination] {
    std::array<ULONG, 2> reply{};  // SendARP's buffer is counted in ULONGs: 8 bytes for 6
    ULONG length = kMacLength;
    std::vector<Byte> answer;
    if (::SendARP(destination, 0, reply.data(), &length) == NO_ERROR && length == kMacLength) {
      const auto* bytes = reinterpret_cast<const Byte*>(reply.data());
      answer.assign(bytes, bytes + kMacLength);
    }
    const std::lock_guard lock(query->mutex);
    query->answer = std::move(answer);
    query->finished = true;
    query->done.notify_all();
  }).detach();
  std::unique_lock lock(query->mutex);
  if (!query->done.wait_for(lock, waitBound, [&] { return query->finished; })) return {};
  return std::move(query->answer);
}

}  // namespace

std::vector<Byte> LookUpHardwareAddress(const Ipv4Address& address,
                                        std::chrono::milliseconds waitBound) {
  const std::vector<Adapter> adapters = ListAdapters();
  std::vector<LinkAddress> links;
  for (const Adapter& adapter : adapters) {
    for (std::size_t i = 0; i < adapter.addresses.size(); ++i) {
      if (adapter.addresses[i] == address) return adapter.hardwareAddress;
      links.push_back({adapter.index, adapter.addresses[i], adapter.prefixLengths[i]});
    }
  }
  IPAddr destination = 0;
  std::memcpy(&destination, address.data(), sizeof destination);
  if (!MayAskByArp(address, FindBestRoute(destination), links)) return {};
  return AskByArp(destination, waitBound);
}

}  // namespace hostseal::hostinfo_platform
