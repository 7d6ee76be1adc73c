// Building rtnetlink requests and reading the messages of a reply. Every header and attribute is
// copied out of the byte buffer, so nothing depends on the buffer's alignment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace hostseal::rtnl {

class NetlinkRequest {
 public:
  NetlinkRequest(std::uint16_t type, std::uint16_t flags);

  // The fixed header of the message family (ifinfomsg, rtmsg, ndmsg ...), appended once.
  template <class T>
  void AppendHeader(const T& header) {
    static_assert(std::is_trivially_copyable_v<T>);
    AppendAligned(std::as_bytes(std::span{&header, 1}));
  }
  void AppendAttribute(std::uint16_t type, std::span<const std::byte> value);

  // The finished message with its length and sequence number filled in.
  std::span<const std::byte> Finish(std::uint32_t sequence);

 private:
  void AppendAligned(std::span<const std::byte> bytes);

  std::vector<std::byte> m_Bytes;
};

struct NetlinkMessage {
  std::uint16_t type = 0;
  std::uint16_t flags = 0;
  std::uint32_t sequence = 0;
  std::uint32_t portId = 0;
  std::span<const std::byte> payload;  // everything after the message header
};

// The messages of one datagram, up to the first one whose length does not fit.
std::vector<NetlinkMessage> SplitMessages(std::span<const std::byte> datagram);

template <class T>
std::optional<T> ReadHeader(std::span<const std::byte> payload) {
  static_assert(std::is_trivially_copyable_v<T>);
  if (payload.size() < sizeof(T)) return std::nullopt;
  T value;
  std::memcpy(&value, payload.data(), sizeof(T));
  return value;
}

// The attributes that follow a fixed header of headerSize bytes.
class AttributeView {
 public:
  AttributeView(std::span<const std::byte> payload, std::size_t headerSize);

  std::optional<std::span<const std::byte>> Find(std::uint16_t type) const;
  // A value of exactly sizeof(T) bytes.
  template <class T>
  std::optional<T> FindValue(std::uint16_t type) const {
    const auto bytes = Find(type);
    if (!bytes || bytes->size() != sizeof(T)) return std::nullopt;
    return ReadHeader<T>(*bytes);
  }
  // A text up to its terminating zero byte.
  std::optional<std::string> FindString(std::uint16_t type) const;

  using Attribute = std::pair<std::uint16_t, std::span<const std::byte>>;
  // Every attribute in the order of the message, type bits as sent.
  const std::vector<Attribute>& Entries() const { return m_Attributes; }

 private:
  std::vector<Attribute> m_Attributes;
};

}  // namespace hostseal::rtnl
