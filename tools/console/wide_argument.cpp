#include "tools/console/wide_argument.hpp"

#include "hostseal/common/utf8_codec.hpp"

namespace hostseal::cli {

std::optional<std::string> ArgumentToUtf8(std::u16string_view argument) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < argument.size();) {
    const Utf16Character c = DecodeUtf16Character(argument.data() + i, argument.size() - i);
    if (!c.wellFormed) return std::nullopt;
    length += Utf8Length(c.codePoint);
    i += c.units;
  }
  std::string out(length, '\0');
  std::size_t o = 0;
  for (std::size_t i = 0; i < argument.size();) {
    const Utf16Character c = DecodeUtf16Character(argument.data() + i, argument.size() - i);
    o += EncodeUtf8(c.codePoint, out.data() + o);
    i += c.units;
  }
  return out;
}

std::size_t Utf16UnitsOfUtf8Prefix(std::u16string_view argument, std::size_t utf8Length) {
  std::size_t bytes = 0;
  std::size_t i = 0;
  while (i < argument.size() && bytes < utf8Length) {
    const Utf16Character c = DecodeUtf16Character(argument.data() + i, argument.size() - i);
    if (!c.wellFormed) break;
    bytes += Utf8Length(c.codePoint);
    i += c.units;
  }
  return i;
}

}  // namespace hostseal::cli
