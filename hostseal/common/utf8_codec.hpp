// One character of UTF-8 or UTF-16 at a time: the single place that decides what is well formed.
//
// Every conversion between UTF-8 and the library's 16-bit text (ToUtf8 and FromUtf8, the
// code-page converter, the Windows code-page layer, the tool's console and its arguments) reads
// and writes characters through these functions, so that ill-formed input is treated the same
// everywhere: a UTF-8 sequence is well formed by Unicode table 3-7 (no overlong forms, no
// surrogates, nothing above U+10FFFF), and every maximal ill-formed subpart of one counts as one
// character that readers show as U+FFFD. The functions are inline because the converters call
// them once per character in their hottest loops.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace hostseal {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

inline constexpr bool IsHighSurrogate(char32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
inline constexpr bool IsLowSurrogate(char32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

enum class Utf8Form {
  kWellFormed,  // a whole character
  kIllFormed,   // a maximal ill-formed subpart: one U+FFFD
  kCutOff,      // the bytes end inside a sequence that the next bytes could still complete
};

struct Utf8Character {
  char32_t codePoint = kReplacementCharacter;  // U+FFFD unless well formed
  std::size_t length = 1;                      // bytes it takes; at least 1
  Utf8Form form = Utf8Form::kIllFormed;
};

// The character at bytes[0] of the `left` bytes (left > 0). A cut-off sequence takes the bytes
// it has, so a reader at the end of its input shows it as one U+FFFD.
template <typename ByteType>
constexpr Utf8Character DecodeUtf8Character(const ByteType* bytes, std::size_t left) {
  const auto b0 = static_cast<unsigned char>(bytes[0]);
  if (b0 < 0x80) return {b0, 1, Utf8Form::kWellFormed};
  std::size_t length = 0;
  unsigned char low = 0x80;  // the range of the second byte; the others are 80..BF
  unsigned char high = 0xBF;
  char32_t codePoint = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
    codePoint = b0 & 0x1Fu;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    codePoint = b0 & 0x0Fu;
    if (b0 == 0xE0) low = 0xA0;   // no overlong forms
    if (b0 == 0xED) high = 0x9F;  // no surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    codePoint = b0 & 0x07u;
    if (b0 == 0xF0) low = 0x90;
    if (b0 == 0xF4) high = 0x8F;  // nothing beyond U+10FFFF
  } else {
    return {};
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (i >= left) return {kReplacementCharacter, i, Utf8Form::kCutOff};
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF)) {
      return {kReplacementCharacter, i, Utf8Form::kIllFormed};
    }
    codePoint = codePoint << 6 | (b & 0x3Fu);
  }
  return {codePoint, length, Utf8Form::kWellFormed};
}

// How many bytes the code point (a scalar value) takes in UTF-8.
constexpr std::size_t Utf8Length(char32_t codePoint) {
  return codePoint < 0x80 ? 1 : codePoint < 0x800 ? 2 : codePoint < 0x10000 ? 3 : 4;
}

// Writes the code point (a scalar value) as UTF-8 at out, Utf8Length(codePoint) bytes, and
// returns that length.
template <typename ByteType>
constexpr std::size_t EncodeUtf8(char32_t codePoint, ByteType* out) {
  const auto put = [out](std::size_t at, char32_t value) {
    out[at] = static_cast<ByteType>(static_cast<unsigned char>(value));
  };
  if (codePoint < 0x80) {
    put(0, codePoint);
    return 1;
  }
  if (codePoint < 0x800) {
    put(0, 0xC0 | codePoint >> 6);
    put(1, 0x80 | (codePoint & 0x3F));
    return 2;
  }
  if (codePoint < 0x10000) {
    put(0, 0xE0 | codePoint >> 12);
    put(1, 0x80 | (codePoint >> 6 & 0x3F));
    put(2, 0x80 | (codePoint & 0x3F));
    return 3;
  }
  put(0, 0xF0 | codePoint >> 18);
  put(1, 0x80 | (codePoint >> 12 & 0x3F));
  put(2, 0x80 | (codePoint >> 6 & 0x3F));
  put(3, 0x80 | (codePoint & 0x3F));
  return 4;
}

struct Utf16Character {
  char32_t codePoint = kReplacementCharacter;  // U+FFFD for an unpaired surrogate
  std::size_t units = 1;                       // 2 for a surrogate pair
  bool wellFormed = false;                     // false for an unpaired surrogate
};

// The character at units[0] of the `left` units (left > 0).
constexpr Utf16Character DecodeUtf16Character(const char16_t* units, std::size_t left) {
  const char16_t unit = units[0];
  if ((unit & 0xF800) != 0xD800) return {unit, 1, true};  // not a surrogate
  if (IsHighSurrogate(unit) && left > 1 && IsLowSurrogate(units[1])) {
    return {0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                (static_cast<char32_t>(units[1]) - 0xDC00),
            2, true};
  }
  return {};
}

// Writes the code point (a scalar value) as UTF-16 at out and returns how many units: 1 or 2.
constexpr std::size_t EncodeUtf16(char32_t codePoint, char16_t* out) {
  if (codePoint < 0x10000) {
    out[0] = static_cast<char16_t>(codePoint);
    return 1;
  }
  codePoint -= 0x10000;
  out[0] = static_cast<char16_t>(0xD800 + (codePoint >> 10));
  out[1] = static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
  return 2;
}

// The UTF-8 form of the text, or nothing when it holds an unpaired surrogate: for text from
// the system (a Windows command line, environment or console may hold one), where writing
// U+FFFD in its place would make another text, or name another file, than the one given. The
// result is allocated once at its final size, so that the bytes of a key or pass phrase are
// never left behind in a buffer given up on the way.
std::optional<std::string> ToUtf8Exact(std::u16string_view text);

// The number of UTF-16 units that the first utf8Length bytes of ToUtf8Exact(text) came from
// (utf8Length ends between two characters).
std::size_t Utf16UnitsOfUtf8Prefix(std::u16string_view text, std::size_t utf8Length);

// The longest prefix of bytes that does not end inside a UTF-8 sequence: the rest (at most
// three bytes, the start of a character) waits for the bytes that complete it. Ill-formed
// bytes are not held back; a reader shows them as U+FFFD.
constexpr std::size_t CompleteUtf8Length(std::string_view bytes) {
  const std::size_t size = bytes.size();
  // The last lead byte among the final three, and whether its sequence is cut off.
  for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
    const auto byte = static_cast<unsigned char>(bytes[size - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const Utf8Character character = DecodeUtf8Character(bytes.data() + size - back, back);
    return character.form == Utf8Form::kCutOff ? size - back : size;
  }
  return size;
}

}  // namespace hostseal
