#include "hostseal/common/utf8.hpp"

#include <cstddef>

#include "hostseal/common/utf8_codec.hpp"

namespace hostseal {

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  char bytes[4];
  for (std::size_t i = 0; i < text.size();) {
    const Utf16Character c = DecodeUtf16Character(text.data() + i, text.size() - i);
    out.append(bytes, EncodeUtf8(c.codePoint, bytes));
    i += c.units;
  }
  return out;
}

std::u16string FromUtf8(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  char16_t units[2];
  for (std::size_t i = 0; i < bytes.size();) {
    const Utf8Character c = DecodeUtf8Character(bytes.data() + i, bytes.size() - i);
    out.append(units, EncodeUtf16(c.codePoint, units));
    i += c.length;
  }
  return out;
}

std::optional<std::string> ToUtf8Exact(std::u16string_view text) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < text.size();) {
    const Utf16Character c = DecodeUtf16Character(text.data() + i, text.size() - i);
    if (!c.wellFormed) return std::nullopt;
    length += Utf8Length(c.codePoint);
    i += c.units;
  }
  std::string out(length, '\0');
  std::size_t o = 0;
  for (std::size_t i = 0; i < text.size();) {
    const Utf16Character c = DecodeUtf16Character(text.data() + i, text.size() - i);
    o += EncodeUtf8(c.codePoint, out.data() + o);
    i += c.units;
  }
  return out;
}

std::size_t Utf16UnitsOfUtf8Prefix(std::u16string_view text, std::size_t utf8Length) {
  std::size_t bytes = 0;
  std::size_t i = 0;
  while (i < text.size() && bytes < utf8Length) {
    const Utf16Character c = DecodeUtf16Character(text.data() + i, text.size() - i);
    if (!c.wellFormed) break;
    bytes += Utf8Length(c.codePoint);
    i += c.units;
  }
  return i;
}

}  // namespace hostseal
