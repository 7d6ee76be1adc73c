// Hexadecimal text, the printable form of the text encryption's cipher bytes.
//
// Written: two upper-case digits per byte, the high four bits first, and two spaces before
// every byte whose index is a non-zero multiple of the group size; nothing before the first
// byte or after the last. Read leniently: the digits "0"-"9", "A"-"F" and "a"-"f" pair up in the
// order they appear, every other character is skipped (also between the two digits of a pair),
// and a digit left without a partner at the end is dropped. Only those 22 characters count as
// digits: a character such as U+4E30, whose low eight bits alone would read as "0", is skipped
// like any other, so a label or note in CJK beside the digits leaves the bytes intact.
//
// Both directions take 16 bytes (32 digits) at a time with SSE2 where the processor has it;
// bench/text_vs_basenc.sh measures them.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hostseal/common/byte_array.hpp"

namespace hostseal {

// The length of the text of count bytes: 2 count + 2 ((count - 1) div groupSize) for count > 0.
// A groupSize of 0 writes one group without separators.
std::size_t HexTextLength(std::size_t count, std::size_t groupSize);

std::u16string BytesToHexText(std::span<const Byte> bytes, std::size_t groupSize);

std::vector<Byte> HexTextToBytes(std::u16string_view text);

// HexTextToBytes for UTF-8 (or any 8-bit) text that arrives in pieces: the digits are the same
// 22 ASCII characters, and every byte from 0x80 up belongs to a character that is none, so
// the bytes read from the UTF-8 of a text are the bytes HexTextToBytes reads from the text.
// A digit left without a partner at the end of a piece waits for the next.
class HexDigitReader {
 public:
  // Appends the bytes of the piece's digits to `out`.
  void Read(std::string_view piece, std::vector<Byte>& out);

 private:
  int m_High = -1;  // the first digit of a pair, while its partner is still to come
};

}  // namespace hostseal
