// Text to UTF-8 bytes with the byte-order mark EF BB BF first: GB2312ToUTF8 and
// TextToUTF8Bytes.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "hostseal/common/byte_array.hpp"

namespace hostseal {

// The UTF-8 bytes as a byte array, or packed two bytes to a 16-bit character (the first byte
// of each pair in the low half) when ReturnValueType is 8.
using Utf8Result = std::variant<ByteArray, std::u16string>;

Utf8Result GB2312ToUTF8(const std::u16string& strIn, std::int32_t ReturnValueType = 0);

// EF BB BF followed by the UTF-8 encoding of the text, first index 0.
ByteArray TextToUTF8Bytes(const std::u16string& sText);

}  // namespace hostseal
