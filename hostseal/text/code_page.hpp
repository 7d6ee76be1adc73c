// The system's ANSI code page: the process-wide code page through which text becomes bytes
// and bytes become text, as a Windows code-page number (936, 1252, 65001, ...).
//
// The cipher's pass phrases and text encryption and EncodeToBytes all convert through here.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hostseal/common/byte_array.hpp"

namespace hostseal {

// The code page in force.
std::int32_t AnsiCodePage();

// Sets the code page for the whole process; an unknown number raises a RaisedError.
void SetAnsiCodePage(std::int32_t codePage);

// Text to bytes of the code page in force: ASCII one byte, other characters the code page's
// multi-byte sequence, the code page's default character where it has none.
std::vector<Byte> TextToAnsiBytes(std::u16string_view text);

// Bytes of the code page in force to text; invalid sequences become U+FFFD.
std::u16string AnsiBytesToText(std::span<const Byte> bytes);

}  // namespace hostseal
