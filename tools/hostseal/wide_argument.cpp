#include "tools/hostseal/wide_argument.hpp"

#include <cstdint>

namespace hostseal::cli {

namespace {

bool IsHigh(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// The code point at argument[i] and how many units it takes; 0 units for an unpaired
// surrogate.
struct CodePoint {
  char32_t value = 0;
  std::size_t units = 0;
};

CodePoint At(std::u16string_view argument, std::size_t i) {
  const char16_t c = argument[i];
  if (IsHigh(c)) {
    if (i + 1 < argument.size() && IsLow(argument[i + 1])) {
      return {0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) +
                  (static_cast<char32_t>(argument[i + 1]) - 0xDC00),
              2};
    }
    return {};
  }
  if (IsLow(c)) return {};
  return {c, 1};
}

std::size_t Utf8Length(char32_t cp) {
  return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

}  // namespace

std::optional<std::string> ArgumentToUtf8(std::u16string_view argument) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < argument.size();) {
    const CodePoint cp = At(argument, i);
    if (cp.units == 0) return std::nullopt;
    length += Utf8Length(cp.value);
    i += cp.units;
  }
  std::string out(length, '\0');
  std::size_t o = 0;
  const auto put = [&out, &o](std::uint32_t byte) {
    out[o++] = static_cast<char>(static_cast<unsigned char>(byte));
  };
  for (std::size_t i = 0; i < argument.size();) {
    const CodePoint cp = At(argument, i);
    const std::uint32_t v = cp.value;
    switch (Utf8Length(v)) {
      case 1:
        put(v);
        break;
      case 2:
        put(0xC0 | (v >> 6));
        put(0x80 | (v & 0x3F));
        break;
      case 3:
        put(0xE0 | (v >> 12));
        put(0x80 | ((v >> 6) & 0x3F));
        put(0x80 | (v & 0x3F));
        break;
      default:
        put(0xF0 | (v >> 18));
        put(0x80 | ((v >> 12) & 0x3F));
        put(0x80 | ((v >> 6) & 0x3F));
        put(0x80 | (v & 0x3F));
        break;
    }
    i += cp.units;
  }
  return out;
}

std::size_t Utf16UnitsOfUtf8Prefix(std::u16string_view argument, std::size_t utf8Length) {
  std::size_t bytes = 0;
  std::size_t i = 0;
  while (i < argument.size() && bytes < utf8Length) {
    const CodePoint cp = At(argument, i);
    if (cp.units == 0) break;
    bytes += Utf8Length(cp.value);
    i += cp.units;
  }
  return i;
}

}  // namespace hostseal::cli
