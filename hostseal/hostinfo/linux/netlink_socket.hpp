// RouteNetlinkSocket: one rtnetlink socket of the routing family, owned for the length of one
// query. It sends requests and collects their replies, and it can wait a bounded time for the
// notifications of the multicast groups it was opened with.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "hostseal/fs/linux/file_descriptor.hpp"
#include "hostseal/hostinfo/linux/netlink_message.hpp"

namespace hostseal::rtnl {

class RouteNetlinkSocket {
 public:
  using Clock = std::chrono::steady_clock;
  using MessageHandler = std::function<void(const NetlinkMessage&)>;

  // groups: a mask of RTMGRP_* notifications to receive, 0 for none. std::nullopt when the
  // socket cannot be opened or bound.
  static std::optional<RouteNetlinkSocket> Open(std::uint32_t groups = 0);

  // Sends the request and hands every message of the reply to onReply, up to the end of a dump
  // or the single answer of a plain request. False when the kernel reports an error (for a
  // request with NLM_F_ACK, its acknowledgement ends the reply) or no complete reply arrives.
  bool Exchange(NetlinkRequest& request, const MessageHandler& onReply);

  enum class Wait { kReceived, kTimedOut, kOverrun, kFailed };
  // Waits for the next datagram until the deadline and hands its messages to onMessage.
  // kOverrun: the kernel dropped notifications because the socket's buffer was full.
  Wait Receive(Clock::time_point deadline, const MessageHandler& onMessage);

 private:
  explicit RouteNetlinkSocket(FileDescriptor fd, std::uint32_t portId);
  // Reads one datagram that is already waiting or arrives before the deadline; the number of
  // bytes in m_Buffer, or std::nullopt with the reason.
  std::optional<std::size_t> ReadDatagram(Clock::time_point deadline, Wait& failure);

  FileDescriptor m_Fd;
  std::uint32_t m_PortId = 0;
  std::uint32_t m_Sequence = 0;
  std::vector<std::byte> m_Buffer;
};

}  // namespace hostseal::rtnl
