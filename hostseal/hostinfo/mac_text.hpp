// The text form of a hardware address and the rule that decides whether a reply names one.
//
// A zero byte is written "00", every other byte in upper-case hexadecimal without a leading
// zero ("C", "1A", "FF"), with "-" between bytes: 00 1A 0C 00 FF 05 is "00-1A-C-00-FF-5".
// The form is kept as it is because stored identities are compared against it.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "hostseal/common/byte_array.hpp"

namespace hostseal {

// The text of the reply, or std::nullopt when the reply names no address: it is empty, or its
// first four bytes are all zero (as loopback's all-zero address is), or it is shorter than four
// bytes and all of it is zero.
std::optional<std::u16string> FormatMacReply(std::span<const Byte> reply);

}  // namespace hostseal
