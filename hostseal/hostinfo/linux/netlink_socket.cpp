#include "hostseal/hostinfo/linux/netlink_socket.hpp"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

namespace hostseal::rtnl {
namespace {

// The kernel answers a request at once; this only guards against waiting forever.
constexpr std::chrono::seconds kReplyTimeout{5};
// Large enough for the biggest datagram of a dump (the kernel fills at most 32 KiB).
constexpr std::size_t kBufferSize = std::size_t{64} * 1024;

}  // namespace

RouteNetlinkSocket::RouteNetlinkSocket(FileDescriptor fd, std::uint32_t portId)
    : m_Fd(std::move(fd)), m_PortId(portId), m_Buffer(kBufferSize) {}

std::optional<RouteNetlinkSocket> RouteNetlinkSocket::Open(std::uint32_t groups) {
  FileDescriptor fd(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE));
  if (!fd.IsOpen()) return std::nullopt;
  // Only what the caller reads is checked: a kernel that refuses the option still answers.
  const int one = 1;
  ::setsockopt(fd.Get(), SOL_NETLINK, NETLINK_EXT_ACK, &one, sizeof(one));

  sockaddr_nl local{};
  local.nl_family = AF_NETLINK;
  local.nl_groups = groups;
  if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof(local)) != 0) {
    return std::nullopt;
  }
  socklen_t length = sizeof(local);
  if (::getsockname(fd.Get(), reinterpret_cast<sockaddr*>(&local), &length) != 0) {
    return std::nullopt;
  }
  return RouteNetlinkSocket(std::move(fd), local.nl_pid);
}

std::optional<std::size_t> RouteNetlinkSocket::ReadDatagram(Clock::time_point deadline,
                                                            Wait& failure) {
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd entry{m_Fd.Get(), POLLIN, 0};
    const int ready = ::poll(&entry, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
    if (ready < 0) {
      if (errno == EINTR) continue;
      failure = Wait::kFailed;
      return std::nullopt;
    }
    if (ready == 0) {
      failure = Wait::kTimedOut;
      return std::nullopt;
    }
    sockaddr_nl peer{};
    iovec vector{m_Buffer.data(), m_Buffer.size()};
    msghdr header{};
    header.msg_name = &peer;
    header.msg_namelen = sizeof(peer);
    header.msg_iov = &vector;
    header.msg_iovlen = 1;
    const ssize_t received = ::recvmsg(m_Fd.Get(), &header, MSG_DONTWAIT);
    if (received < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      failure = errno == ENOBUFS ? Wait::kOverrun : Wait::kFailed;
      return std::nullopt;
    }
    if ((header.msg_flags & MSG_TRUNC) != 0) {
      failure = Wait::kFailed;
      return std::nullopt;
    }
    if (peer.nl_pid != 0) continue;  // only the kernel speaks to this socket
    return static_cast<std::size_t>(received);
  }
}

bool RouteNetlinkSocket::Exchange(NetlinkRequest& request, const MessageHandler& onReply) {
  const std::uint32_t sequence = ++m_Sequence;
  const auto bytes = request.Finish(sequence);
  sockaddr_nl kernel{};
  kernel.nl_family = AF_NETLINK;
  const ssize_t sent = ::sendto(m_Fd.Get(), bytes.data(), bytes.size(), 0,
                                reinterpret_cast<const sockaddr*>(&kernel), sizeof(kernel));
  if (sent < 0 || static_cast<std::size_t>(sent) != bytes.size()) return false;

  const auto deadline = Clock::now() + kReplyTimeout;
  for (;;) {
    Wait failure = Wait::kFailed;
    const auto received = ReadDatagram(deadline, failure);
    if (!received) return false;
    bool answered = false;
    bool multipart = false;
    for (const auto& message : SplitMessages(std::span{m_Buffer}.first(*received))) {
      if (message.sequence != sequence || message.portId != m_PortId) continue;
      answered = true;
      if (message.type == NLMSG_DONE) return true;
      if (message.type == NLMSG_ERROR) {
        const auto error = ReadHeader<nlmsgerr>(message.payload);
        return error && error->error == 0;
      }
      multipart = multipart || (message.flags & NLM_F_MULTI) != 0;
      onReply(message);
    }
    if (answered && !multipart) return true;
  }
}

RouteNetlinkSocket::Wait RouteNetlinkSocket::Receive(Clock::time_point deadline,
                                                     const MessageHandler& onMessage) {
  Wait failure = Wait::kFailed;
  const auto received = ReadDatagram(deadline, failure);
  if (!received) return failure;
  for (const auto& message : SplitMessages(std::span{m_Buffer}.first(*received))) {
    onMessage(message);
  }
  return Wait::kReceived;
}

}  // namespace hostseal::rtnl
