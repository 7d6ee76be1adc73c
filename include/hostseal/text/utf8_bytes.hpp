// Text to UTF-8 bytes with the byte-order mark EF BB BF first: GB2312ToUTF8 and
// TextToUTF8Bytes. Despite its name, GB2312ToUTF8 encodes the 16-bit text straight to UTF-8;
// a lone surrogate becomes U+FFFD (EF BF BD).
//
// Packed text carries bytes two to a 16-bit character, the first byte of each pair in the low
// half. When the number of bytes is odd, the last character holds the odd last byte in its low
// half and 0xFF in its high half. 0xFF never occurs in UTF-8, so UnpackUtf8Text recognises the
// filler and gives back exactly the bytes that were packed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "hostseal/common/byte_array.hpp"

namespace hostseal {

// The UTF-8 bytes as a byte array, or packed two bytes to a 16-bit character (the first byte
// of each pair in the low half) when ReturnValueType is 8.
using Utf8Result = std::variant<ByteArray, std::u16string>;

Utf8Result GB2312ToUTF8(const std::u16string& strIn, std::int32_t ReturnValueType = 0);

// EF BB BF followed by the UTF-8 encoding of the text, first index 0.
ByteArray TextToUTF8Bytes(const std::u16string& sText);

// The bytes of a packed text from GB2312ToUTF8, first index 0.
ByteArray UnpackUtf8Text(std::u16string_view packed);

}  // namespace hostseal
