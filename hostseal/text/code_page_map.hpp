// CodePageMap: lookup tables of one code page, read off glibc's iconv converter one character
// at a time, so that the conversions can translate most characters with one table look-up
// instead of one iconv call per run of non-ASCII text.
//
// The tables only shorten the way: every entry is what iconv itself gives for that character
// or byte sequence on its own, and whatever does not fit an entry (sequences of three or four
// bytes, characters that decode to two 16-bit units, anything decoding to U+FFFE or U+FFFF) is
// marked for the converter to hand to iconv. That holds because every code page in
// code_page_table.cpp is stateless: a character converts the same wherever it stands.
//
// A map is built once per code page and process (about 100,000 iconv calls, a few
// milliseconds) and never changes afterwards, so all threads share it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "hostseal/text/code_page_table.hpp"

namespace hostseal {

class CodePageMap {
 public:
  // What the converter does with a 16-bit unit from 0x80 up.
  static constexpr std::uint16_t kUnmapped = 0;       // the code page's default character
  static constexpr std::uint16_t kAskIconv = 0xFFFF;  // iconv converts it
  // Otherwise a value below 0x100 is one byte, and a larger value two bytes, high half first.

  // What the converter does with a byte from 0x80 up that starts a character.
  enum class Lead : std::uint8_t {
    kUnit,      // one byte, one unit: FirstUnit
    kInvalid,   // no character starts with it: U+FFFD
    kDouble,    // the start of a two-byte character: SecondUnit
    kAskIconv,  // iconv converts the sequence
  };
  // A second byte after a kDouble lead: the unit, or one of these two.
  static constexpr std::uint16_t kInvalidPair = 0xFFFE;  // U+FFFD for the lead alone
  static constexpr std::uint16_t kPairAskIconv = 0xFFFF;

  // The map of a code page other than UTF-8, built on first use; raises a RaisedError when
  // glibc lacks its converter.
  static const CodePageMap& Of(const CodePageEntry& codePage);

  std::uint16_t BytesOf(char16_t unit) const { return m_Bytes[unit]; }
  Lead LeadOf(std::uint8_t byte) const { return m_Lead[byte]; }
  char16_t FirstUnit(std::uint8_t byte) const { return m_FirstUnit[byte]; }
  std::uint16_t SecondUnit(std::uint8_t lead, std::uint8_t second) const {
    return m_Pairs[m_FirstUnit[lead]][second];
  }

  explicit CodePageMap(const CodePageEntry& codePage);

 private:
  std::vector<std::uint16_t> m_Bytes;  // indexed by unit
  std::array<Lead, 256> m_Lead{};
  // The unit of a kUnit byte, or the row in m_Pairs of a kDouble one.
  std::array<char16_t, 256> m_FirstUnit{};
  std::vector<std::array<std::uint16_t, 256>> m_Pairs;
};

}  // namespace hostseal
