// CodePageMap: lookup tables of one code page, so that the conversions translate a character
// with one table look-up.
//
// Where the library holds Windows' own table of the code page (windows_code_page_table.hpp:
// every code page of code_page_table.cpp but GB18030), the map is filled from it when made,
// and so converts exactly as Windows does, best fit included; no entry then asks iconv.
//
// GB18030 has no Windows table here: its map is filled from glibc's iconv converter as the
// characters are met. Those entries only shorten the way: every one is what iconv itself
// gives for that character or byte sequence on its own, and whatever does not fit an entry
// (sequences of three or four bytes, characters that decode to two 16-bit units, anything
// decoding to U+FFFD or above) is marked for the converter to hand to iconv. That holds because
// the code page is stateless: a character converts the same wherever it stands.
//
// What a lead byte means is read when the map is made (128 iconv calls). The bytes of a
// character and the character of a byte pair are read when first needed, many at once: the
// caller hands over the rest of its text, the map reads ahead while unseen characters are
// dense, and they go through iconv as one buffer with a U+0000 between any two (no code page
// here has a zero byte inside a character). A text so costs a few iconv calls for all the
// characters it brings, plus one for each character the code page lacks, once per process.
//
// One map per code page and process, shared by all threads: an entry changes only from
// "unknown" through "pending" (while one thread reads it; the others meanwhile ask iconv, and
// no batch holds an entry twice) to its one true value, read and written as relaxed atomics.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string_view>

#include "hostseal/common/byte_array.hpp"
#include "hostseal/text/code_page_table.hpp"
#include "hostseal/text/linux/iconv_descriptor.hpp"

namespace hostseal {

class CodePageMap {
 public:
  // The bytes of a 16-bit unit from 0x80 up: a value below 0x100 is one byte, a value from
  // 0x100 up other than these markers two bytes, high half first.
  static constexpr std::uint16_t kUnknownBytes = 0;       // not read yet: ResolveBytes
  static constexpr std::uint16_t kPendingBytes = 0xFFFD;  // being read: iconv converts it
  static constexpr std::uint16_t kUnmapped = 0xFFFE;      // the code page's default character
  static constexpr std::uint16_t kAskIconv = 0xFFFF;      // iconv converts it

  // What a byte from 0x80 up means at the start of a character.
  enum class Lead : std::uint8_t {
    kUnit,      // one byte, one unit: FirstUnit
    kInvalid,   // no character starts with it: U+FFFD
    kDouble,    // the start of a longer character: SecondUnit
    kAskIconv,  // iconv converts the sequence
  };
  // A second byte after a kDouble lead: the unit of the pair, or one of these markers.
  static constexpr std::uint16_t kUnknownPair = 0;        // not read yet: ResolvePairs
  static constexpr std::uint16_t kPendingPair = 0xFFFD;   // being read: iconv converts it
  static constexpr std::uint16_t kInvalidPair = 0xFFFE;   // U+FFFD for the lead alone
  static constexpr std::uint16_t kPairAskIconv = 0xFFFF;  // longer, or not one unit

  // The map of a code page other than UTF-8, made on first use; raises a RaisedError when
  // the library has no Windows table of it and glibc lacks its converter.
  static const CodePageMap& Of(const CodePageEntry& codePage);

  // True when the map is filled from iconv as characters are met (no Windows table): the
  // markers above then occur, and the converter needs iconv descriptors of its own.
  bool UsesIconv() const { return m_UsesIconv; }

  // What a lead byte reads as when no trail byte follows it, or when its pair is kInvalidPair:
  // Windows' default character of the code page, or U+FFFD where iconv decides.
  char16_t LoneLead() const { return m_LoneLead; }

  std::uint16_t BytesOf(char16_t unit) const { return Load(m_Bytes.get()[unit]); }
  Lead LeadOf(Byte byte) const { return m_Lead[byte]; }
  char16_t FirstUnit(Byte byte) const { return m_FirstUnit[byte]; }
  std::uint16_t SecondUnit(Byte lead, Byte second) const {
    return Load(m_Pairs.get()[std::size_t{m_FirstUnit[lead]} * 256 + second]);
  }

  // Reads the entries of the kUnknownBytes units in `text` (the first of them at least, and
  // as many after it as are worth one batch) through `toBytes`, a descriptor from UTF-16 to
  // this code page that belongs to the caller's thread.
  void ResolveBytes(std::u16string_view text, const IconvDescriptor& toBytes) const;

  // Reads the entries of the kUnknownPair pairs in `bytes`, read as characters from its first
  // byte on (the first at least, and as many after it as are worth one batch), through
  // `toText`.
  void ResolvePairs(std::span<const Byte> bytes, const IconvDescriptor& toText) const;

  explicit CodePageMap(const CodePageEntry& codePage);

 private:
  struct Free {
    void operator()(std::uint16_t* p) const { std::free(p); }
  };
  // Zeroed memory from calloc: "unknown" everywhere, and no page is touched before it is used.
  using Entries = std::unique_ptr<std::uint16_t[], Free>;

  static std::uint16_t Load(std::uint16_t& entry) {
    return std::atomic_ref(entry).load(std::memory_order_relaxed);
  }
  static void Store(std::uint16_t& entry, std::uint16_t value) {
    std::atomic_ref(entry).store(value, std::memory_order_relaxed);
  }
  void StoreBytes(char16_t unit, std::uint16_t value) const { Store(m_Bytes.get()[unit], value); }
  void StorePair(Byte lead, Byte second, std::uint16_t value) const {
    Store(m_Pairs.get()[std::size_t{m_FirstUnit[lead]} * 256 + second], value);
  }

  void ResolveBytesOneByOne(std::span<const char16_t> units, const IconvDescriptor& toBytes) const;
  void ResolvePairsOneByOne(std::span<const std::array<Byte, 2>> pairs,
                            const IconvDescriptor& toText) const;

  // Fills every entry from Windows' table, where the library has one (false when not): no
  // marker but kInvalidPair is left.
  bool FillFromWindowsTable(std::int32_t number);
  void ReadLeadsThroughIconv(const CodePageEntry& codePage);

  bool m_UsesIconv = false;
  char16_t m_LoneLead = 0xFFFD;
  Entries m_Bytes;  // indexed by unit
  std::array<Lead, 256> m_Lead{};
  // The unit of a kUnit byte, or the row in m_Pairs of a kDouble one.
  std::array<char16_t, 256> m_FirstUnit{};
  Entries m_Pairs;  // 256 entries a row
};

}  // namespace hostseal
