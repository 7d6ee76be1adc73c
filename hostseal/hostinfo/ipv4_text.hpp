// Dotted-decimal IPv4 text: the strict reading used for address texts that callers hand in, and
// the writing used for every address the queries return ("10.0.0.5", no leading zeros).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "hostseal/common/byte_array.hpp"

namespace hostseal {

// Four bytes in network order, first byte first.
using Ipv4Address = std::array<Byte, 4>;

// Exactly four decimal fields of 0 to 255 separated by single dots, nothing before or after.
// A field with a leading zero ("01", "00") is refused: older readers take it as octal, so its
// meaning is ambiguous. std::nullopt for every other text.
std::optional<Ipv4Address> ParseIpv4Text(std::u16string_view text);

std::u16string FormatIpv4Text(const Ipv4Address& address);

}  // namespace hostseal
