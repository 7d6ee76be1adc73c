// The address texts of the host queries: dotted-decimal IPv4 in both directions and the text
// form of a hardware address.
//
// Input: byte 0 picks how the rest becomes text (each byte one character, or byte pairs as
// UTF-16 units). Checked: ParseIpv4Text accepts exactly what the C library's inet_pton accepts
// (four decimal fields of 0 to 255, no leading zeros, nothing else) and gives the same bytes;
// an accepted text is the text FormatIpv4Text writes for its address, and every address
// written reads back (the tool's mac command reads its address with ParseIpv4Text). The
// hardware address text names nothing exactly when the reply is empty or starts with zeros,
// and otherwise reads back byte for byte: "00" for zero, upper-case hex without a leading zero
// for every other byte, "-" between bytes.
#include <arpa/inet.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "fuzz/fuzz_check.hpp"
#include "hostseal/hostinfo/ipv4_text.hpp"
#include "hostseal/hostinfo/mac_text.hpp"

namespace {

using hostseal::Byte;
using hostseal::Ipv4Address;

// What inet_pton makes of the text; std::nullopt when it refuses it or the text is not plain
// ASCII without zero characters (inet_pton would stop reading at a zero).
std::optional<Ipv4Address> ReferenceIpv4(const std::u16string& text) {
  std::string narrow;
  for (const char16_t c : text) {
    if (c == 0 || c >= 0x80) return std::nullopt;
    narrow += static_cast<char>(c);
  }
  Ipv4Address address{};
  if (::inet_pton(AF_INET, narrow.c_str(), address.data()) != 1) return std::nullopt;
  return address;
}

void CheckIpv4(const std::u16string& text) {
  const auto parsed = hostseal::ParseIpv4Text(text);
  FUZZ_CHECK(parsed == ReferenceIpv4(text));
  if (parsed) FUZZ_CHECK(hostseal::FormatIpv4Text(*parsed) == text);
}

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

void CheckMac(std::span<const Byte> reply) {
  const auto text = hostseal::FormatMacReply(reply);
  bool leadingZeros = true;
  for (std::size_t i = 0; i < reply.size() && i < 4; ++i) {
    leadingZeros = leadingZeros && reply[i] == 0;
  }
  FUZZ_CHECK(text.has_value() == (!reply.empty() && !leadingZeros));
  if (!text) return;

  // Read the text back field by field.
  std::size_t position = 0;
  for (std::size_t i = 0; i < reply.size(); ++i) {
    if (i > 0) {
      FUZZ_CHECK(position < text->size() && (*text)[position] == u'-');
      ++position;
    }
    const std::size_t start = position;
    int value = 0;
    while (position < text->size() && HexValue((*text)[position]) >= 0) {
      value = value * 16 + HexValue((*text)[position]);
      ++position;
    }
    const std::size_t digits = position - start;
    FUZZ_CHECK(digits == 1 || digits == 2);
    // Two zero digits only for a zero byte; otherwise no leading zero.
    if ((*text)[start] == u'0') FUZZ_CHECK(value == 0 ? digits == 2 : digits == 1);
    FUZZ_CHECK(value == reply[i]);
  }
  FUZZ_CHECK(position == text->size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
  if (size == 0) return 0;
  const std::span<const Byte> rest(input + 1, size - 1);

  std::u16string text;
  if ((input[0] & 1U) == 0) {
    for (const Byte b : rest) text += static_cast<char16_t>(b);
  } else {
    for (std::size_t i = 0; i + 1 < rest.size(); i += 2) {
      text += static_cast<char16_t>(rest[i] | rest[i + 1] << 8U);
    }
  }
  CheckIpv4(text);

  // Every four bytes are an address whose text reads back.
  if (rest.size() >= 4) {
    const Ipv4Address address{rest[0], rest[1], rest[2], rest[3]};
    FUZZ_CHECK(hostseal::ParseIpv4Text(hostseal::FormatIpv4Text(address)) == address);
  }
  CheckMac(rest);
  return 0;
}
