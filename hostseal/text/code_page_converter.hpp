// CodePageConverter: converts runs of non-ASCII text to the bytes of one code page and back,
// the way Windows' WideCharToMultiByte and MultiByteToWideChar do without flags: a character
// the code page cannot hold becomes the code page's default character (one per 16-bit unit, so
// a surrogate pair becomes two), and a byte sequence that is not valid becomes U+FFFD.
//
// ASCII needs no converter; the callers in code_page.cpp copy it themselves and hand over only
// the runs in between. A converter holds iconv state and so belongs to one thread at a time.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hostseal/common/byte_array.hpp"
#include "hostseal/text/code_page_table.hpp"
#include "hostseal/text/iconv_descriptor.hpp"

namespace hostseal {

class CodePageConverter {
 public:
  // Opens the converters of the code page; raises a RaisedError when glibc lacks them.
  explicit CodePageConverter(const CodePageEntry& codePage);

  std::int32_t CodePage() const { return m_CodePage->number; }

  // Appends the bytes of `text` to `out`.
  void AppendBytes(std::u16string_view text, std::vector<Byte>& out) const;

  // Appends the text of `bytes` to `out`.
  void AppendText(std::span<const Byte> bytes, std::u16string& out) const;

 private:
  const CodePageEntry* m_CodePage;
  bool m_Utf8;  // UTF-8 goes through the library's own encoder, not through iconv
  IconvDescriptor m_ToBytes;
  IconvDescriptor m_ToText;
};

}  // namespace hostseal
