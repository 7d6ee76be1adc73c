// WindowsCodePageTable: Windows' conversion tables of one code page, unpacked from
// windows_code_page_data.hpp, with the rules by which Windows' MultiByteToWideChar and
// WideCharToMultiByte (no flags, no default character given) read them:
//   - text to bytes: every 16-bit unit on its own through BytesOf, which holds the best-fit
//     bytes and, for a character without any, the default byte '?' (so a surrogate pair gives
//     two);
//   - bytes to text: a byte that is not a lead byte through Single; a lead byte and the byte
//     after it, unless that is 0x00 or missing, through Pair (one character for both, whatever
//     the trail byte); a lead byte alone reads as UnicodeDefault (U+30FB in 932, '?' in others).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace hostseal {

struct WindowsCodePageTable {
  std::array<bool, 256> lead{};
  std::array<std::uint16_t, 256> single{};   // the character of each byte that is not a lead
  std::array<std::uint16_t, 256> leadRow{};  // the row in `pairs` of each lead byte
  std::vector<std::uint16_t> pairs;          // 256 characters per lead byte, by trail byte
  std::vector<std::uint16_t> bytesOf;        // 65536: one byte, or two with the lead high
  std::uint16_t unicodeDefault = u'?';
};

// The unpacked table of a code page, or nothing when the library holds none for it.
std::optional<WindowsCodePageTable> UnpackWindowsCodePage(std::int32_t number);

}  // namespace hostseal
