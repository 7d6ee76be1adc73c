// CodePageConverter: converts text to the bytes of one code page and back, the way Windows'
// WideCharToMultiByte and MultiByteToWideChar do without flags. Every code page but GB18030
// converts through Windows' own table (code_page_map.hpp): best fit included, a character
// without any becomes the default character '?' (one per 16-bit unit, so a surrogate pair
// becomes two), and bytes read as the table says (a lead byte without its trail byte as the
// code page's default character). GB18030 goes through glibc's iconv, and there a byte
// sequence that is not valid becomes U+FFFD for its first byte.
//
// Every conversion is one pass over its input. ASCII is copied as it is, other characters go
// through the code page's CodePageMap (for GB18030 the rest through iconv one character at a
// time), and UTF-8 has an encoder of its own. The result is gathered in a small buffer on the
// stack and appended to the output from there, so the output is written once and never filled
// ahead; that buffer is wiped when the conversion ends, since the text may be a pass phrase.
//
// A converter may hold iconv state and so belongs to one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hostseal/common/byte_array.hpp"
#include "hostseal/text/code_page_table.hpp"
#include "hostseal/text/linux/iconv_descriptor.hpp"

namespace hostseal {

class CodePageMap;

class CodePageConverter {
 public:
  // The most bytes that one 16-bit unit of text gives in any known code page (GB18030).
  static constexpr std::size_t kMaxBytesPerUnit = 4;

  // Opens the converters of the code page; raises a RaisedError when glibc lacks them.
  explicit CodePageConverter(const CodePageEntry& codePage);

  std::int32_t CodePage() const { return m_CodePage->number; }

  // Appends the bytes of `text` to `out`: at most kMaxBytesPerUnit per unit, so an `out` with
  // that much spare capacity is never moved.
  void AppendBytes(std::u16string_view text, std::vector<Byte>& out) const;

  // Appends the text of `bytes` to `out`: at most one unit per byte. Unless `last`, the bytes
  // are a piece of a longer sequence: only the characters that start at least four bytes
  // before the end are taken (no character is longer, so they read the same whatever follows),
  // and the count of bytes taken is returned; with `last` all of them.
  std::size_t AppendText(std::span<const Byte> bytes, std::u16string& out, bool last = true) const;

  // True when the code page goes through glibc's iconv (GB18030): no Windows table.
  bool UsesIconv() const { return m_ToBytes.has_value(); }

  // The same two conversions through iconv over the whole input (for UTF-8 through ToUtf8 and
  // FromUtf8), without the map: the reference that tests and fuzzing hold the above to, for
  // UTF-8 and the code pages that UsesIconv (others raise std::logic_error).
  void AppendBytesThroughIconv(std::u16string_view text, std::vector<Byte>& out) const;
  void AppendTextThroughIconv(std::span<const Byte> bytes, std::u16string& out) const;

 private:
  // One character (a unit or a surrogate pair) at text[0] through iconv; returns the units it
  // took, the bytes going to `out` (room for kMaxBytesPerUnit per unit).
  std::size_t OneCharacterToBytes(std::u16string_view text, Byte* out, std::size_t& written) const;
  // The character at bytes[0] through iconv; returns the bytes it took (at least one).
  std::size_t OneCharacterToText(std::span<const Byte> bytes, char16_t* out,
                                 std::size_t& written) const;

  const CodePageEntry* m_CodePage;
  const CodePageMap* m_Map;  // nullptr for UTF-8
  // Opened only where the map UsesIconv.
  std::optional<IconvDescriptor> m_ToBytes;
  std::optional<IconvDescriptor> m_ToText;
};

}  // namespace hostseal
