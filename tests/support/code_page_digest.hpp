// The whole mapping of a code page in both directions, reduced to two 64-bit FNV-1a digests so
// that the Linux and the Windows build, separate programs, can be held to one recorded file
// (tests/data/code_page_digests.txt, written by the Windows build under Wine):
//   text to bytes: every 16-bit unit 0000-FFFF on its own (surrogates included);
//   bytes to text: every byte on its own, then every pair of bytes 00 00 - FF FF.
// Each result goes into its digest as its length and then its units, so that a change in any
// one of them changes the digest. A few inputs (Samples) are recorded with their results as
// well, so that a mismatch can show characters, not only numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "hostseal/common/byte_array.hpp"

namespace hostseal::testing {

inline constexpr std::size_t kDigestedUnits = 0x10000;
inline constexpr std::size_t kDigestedSequences = 0x100 + 0x10000;

class Fnv1a64 {
 public:
  void Add(std::uint64_t value, int bytes) {
    for (int k = 0; k < bytes; ++k) {
      m_Hash = (m_Hash ^ ((value >> (8 * k)) & 0xFF)) * 0x100000001B3ULL;
    }
  }
  std::uint64_t Value() const { return m_Hash; }

 private:
  std::uint64_t m_Hash = 0xCBF29CE484222325ULL;
};

// The byte sequence number k of the bytes-to-text direction.
inline std::vector<Byte> DigestedSequence(std::size_t k) {
  if (k < 0x100) return {static_cast<Byte>(k)};
  return {static_cast<Byte>((k - 0x100) >> 8), static_cast<Byte>(k - 0x100)};
}

struct CodePageDigest {
  std::uint64_t toBytes = 0;
  std::uint64_t toText = 0;
};

// toBytes(std::u16string) -> std::vector<Byte>; toText(std::vector<Byte>) -> std::u16string.
template <typename ToBytes, typename ToText>
CodePageDigest DigestCodePage(ToBytes toBytes, ToText toText) {
  Fnv1a64 bytes;
  for (std::size_t u = 0; u < kDigestedUnits; ++u) {
    const std::vector<Byte> out = toBytes(std::u16string(1, static_cast<char16_t>(u)));
    bytes.Add(out.size(), 1);
    for (const Byte b : out) bytes.Add(b, 1);
  }
  Fnv1a64 text;
  for (std::size_t k = 0; k < kDigestedSequences; ++k) {
    const std::u16string out = toText(DigestedSequence(k));
    text.Add(out.size(), 1);
    for (const char16_t c : out) text.Add(c, 2);
  }
  return {bytes.Value(), text.Value()};
}

// The inputs recorded with their results: a spread over the whole range in each direction and
// the characters and bytes where systems are known to part (best fit, private use, the bytes
// that some code pages leave undefined, lead bytes alone or before 00).
inline std::vector<char16_t> SampleUnits() {
  std::vector<char16_t> units = {0x0080, 0x0081, 0x008D, 0x00A2, 0x0100, 0x0101,
                                 0x2014, 0x2016, 0x203E, 0x2212, 0x301C, 0xE000,
                                 0xE864, 0xF8F5, 0xF8F8, 0xFF5E, 0xD800, 0xFFFD};
  for (std::size_t u = 0x0FFF; u < kDigestedUnits; u += 0x1000) {
    units.push_back(static_cast<char16_t>(u));
  }
  return units;
}

inline std::vector<std::size_t> SampleSequences() {
  std::vector<std::size_t> sequences = {
      0x80,           0x81,           0x8D,           0xA0,           0xFF,          0x100 + 0x8100,
      0x100 + 0x8140, 0x100 + 0xAAA1, 0x100 + 0xFA40, 0x100 + 0xFEFE, 0x100 + 0xFFFF};
  for (std::size_t k = 0x100 + 0x0FFF; k < kDigestedSequences; k += 0x1000) sequences.push_back(k);
  return sequences;
}

// Upper-case hex of the units or bytes, "-" when empty: the form of the recorded file.
template <typename Units>
std::string HexOf(const Units& units) {
  if (units.empty()) return "-";
  std::string out;
  for (const auto unit : units) {
    for (int shift = 8 * static_cast<int>(sizeof(unit)) - 4; shift >= 0; shift -= 4) {
      out += "0123456789ABCDEF"[(static_cast<std::uint64_t>(unit) >> shift) & 0xFU];
    }
  }
  return out;
}

// The lines that tests/data/code_page_digests.txt holds for a code page: "digest CP TO-BYTES
// TO-TEXT", then "bytes CP UNIT BYTES" and "text CP BYTES UNITS" for the samples.
template <typename ToBytes, typename ToText>
std::vector<std::string> RecordCodePage(std::int32_t codePage, ToBytes toBytes, ToText toText) {
  const std::string number = std::to_string(codePage);
  const CodePageDigest digest = DigestCodePage(toBytes, toText);
  std::vector<std::string> lines = {"digest " + number + " " +
                                    HexOf(std::vector<std::uint64_t>{digest.toBytes}) + " " +
                                    HexOf(std::vector<std::uint64_t>{digest.toText})};
  for (const char16_t unit : SampleUnits()) {
    const std::u16string text(1, unit);
    lines.push_back("bytes " + number + " " + HexOf(text) + " " + HexOf(toBytes(text)));
  }
  for (const std::size_t k : SampleSequences()) {
    const std::vector<Byte> bytes = DigestedSequence(k);
    lines.push_back("text " + number + " " + HexOf(bytes) + " " + HexOf(toText(bytes)));
  }
  return lines;
}

}  // namespace hostseal::testing
