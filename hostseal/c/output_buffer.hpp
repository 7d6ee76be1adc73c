// The buffer rule of every output: the caller's buffer `out` with its capacity in *out_len.
// What fits is written whole and *out_len becomes its length (text: without the terminating
// zero, which is written too); what does not fit, or a NULL out, writes nothing, sets *out_len
// to the capacity needed (text: with its zero) and gives HOSTSEAL_SHORT_BUFFER. An output of
// no bytes succeeds with a NULL out.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "hostseal/common/byte_array.hpp"
#include "hostseal/hostseal.h"

namespace hostseal::c_interface {

// The rule alone, leaving the last error untouched (for hostseal_last_error_text).
hostseal_status CopyText(std::string_view text, char* out, std::size_t& out_len) noexcept;

// The rule, with a short buffer also made the last error.
hostseal_status PutText(std::string_view text, char* out, std::size_t* out_len) noexcept;
hostseal_status PutBytes(std::span<const Byte> bytes, std::uint8_t* out,
                         std::size_t* out_len) noexcept;

// Checks the room for `needed` bytes before an output is produced in place: HOSTSEAL_OK, or
// HOSTSEAL_SHORT_BUFFER with *out_len set to needed and the last error set.
hostseal_status RequireRoom(std::size_t needed, const void* out, std::size_t* out_len) noexcept;

}  // namespace hostseal::c_interface
