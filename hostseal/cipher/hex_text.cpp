#include "hostseal/cipher/hex_text.hpp"

#include <array>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace hostseal {

namespace {

constexpr char16_t kDigits[] = u"0123456789ABCDEF";

// The two characters of every byte value, high digit first.
constexpr std::array<std::array<char16_t, 2>, 256> kDigitPairs = [] {
  std::array<std::array<char16_t, 2>, 256> pairs{};
  for (std::size_t b = 0; b < 256; ++b) pairs[b] = {kDigits[b >> 4], kDigits[b & 0xF]};
  return pairs;
}();

// The value of every ASCII character as a digit, or -1; characters from 0x80 up are no digits.
constexpr std::array<std::int8_t, 128> kDigitValues = [] {
  std::array<std::int8_t, 128> values{};
  for (std::size_t c = 0; c < 128; ++c) {
    values[c] = c >= '0' && c <= '9'   ? static_cast<std::int8_t>(c - '0')
                : c >= 'A' && c <= 'F' ? static_cast<std::int8_t>(c - 'A' + 10)
                : c >= 'a' && c <= 'f' ? static_cast<std::int8_t>(c - 'a' + 10)
                                       : std::int8_t{-1};
  }
  return values;
}();

int DigitValue(char16_t c) {
  return c < 0x80 ? kDigitValues[c] : -1;
}

void PutByte(char16_t* out, Byte b) {
  std::memcpy(out, kDigitPairs[b].data(), 2 * sizeof(char16_t));
}

#if defined(__SSE2__)
// Writes the 32 digits of 16 bytes.
void EncodeSixteenBytes(const Byte* in, char16_t* out) {
  const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  const __m128i nibble = _mm_set1_epi8(0x0F);
  const auto digits = [](__m128i n) {
    // "0" + n, and 7 more for "A" to "F", which follow "9" after seven other characters.
    const __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(n, _mm_set1_epi8(9)), _mm_set1_epi8(7));
    return _mm_add_epi8(_mm_add_epi8(n, _mm_set1_epi8('0')), letter);
  };
  const __m128i high = digits(_mm_and_si128(_mm_srli_epi16(x, 4), nibble));
  const __m128i low = digits(_mm_and_si128(x, nibble));
  const __m128i first = _mm_unpacklo_epi8(high, low);  // the digits of bytes 0 to 7
  const __m128i second = _mm_unpackhi_epi8(high, low);
  const __m128i zero = _mm_setzero_si128();
  auto* o = reinterpret_cast<__m128i*>(out);
  _mm_storeu_si128(o, _mm_unpacklo_epi8(first, zero));
  _mm_storeu_si128(o + 1, _mm_unpackhi_epi8(first, zero));
  _mm_storeu_si128(o + 2, _mm_unpacklo_epi8(second, zero));
  _mm_storeu_si128(o + 3, _mm_unpackhi_epi8(second, zero));
}

// Reads 16 characters into 8 bytes when all 16 are digits; otherwise writes nothing.
bool DecodeSixteenDigits(const char16_t* in, Byte* out) {
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 8));
  // Narrowing saturates every unit above 0xFF to 0xFF or 0x00, neither of them a digit.
  const __m128i x = _mm_packus_epi16(a, b);
  const __m128i d = _mm_sub_epi8(x, _mm_set1_epi8('0'));
  const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(d, _mm_set1_epi8(9)), d);
  // Setting bit 5 folds "A"-"F" onto "a"-"f" and maps nothing else there.
  const __m128i l = _mm_sub_epi8(_mm_or_si128(x, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
  const __m128i isLetter = _mm_cmpeq_epi8(_mm_min_epu8(l, _mm_set1_epi8(5)), l);
  if (_mm_movemask_epi8(_mm_or_si128(isDigit, isLetter)) != 0xFFFF) return false;
  const __m128i v = _mm_or_si128(_mm_and_si128(isDigit, d),
                                 _mm_and_si128(isLetter, _mm_add_epi8(l, _mm_set1_epi8(10))));
  // Each 16-bit lane holds a pair: the high digit in its low byte, the low digit above it.
  const __m128i pairs = _mm_and_si128(_mm_or_si128(_mm_slli_epi16(v, 4), _mm_srli_epi16(v, 8)),
                                      _mm_set1_epi16(0x00FF));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(pairs, pairs));
  return true;
}
#endif

}  // namespace

std::size_t HexTextLength(std::size_t count, std::size_t groupSize) {
  if (count == 0) return 0;
  const std::size_t separators = groupSize == 0 ? 0 : (count - 1) / groupSize;
  return 2 * count + 2 * separators;
}

std::u16string BytesToHexText(std::span<const Byte> bytes, std::size_t groupSize) {
  std::u16string text;
  text.reserve(HexTextLength(bytes.size(), groupSize));
  // The digits are made in a small buffer that stays in the cache and appended from there,
  // so the text's own memory is written once, not first filled and then overwritten.
  constexpr std::size_t kChunk = 2048;
  char16_t chunk[kChunk];
  std::size_t used = 0;
  const std::size_t group = groupSize == 0 ? bytes.size() : groupSize;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::size_t end = bytes.size() - i < group ? bytes.size() : i + group;
    while (i < end) {
      if (used + 34 > kChunk) {
        text.append(chunk, used);
        used = 0;
      }
#if defined(__SSE2__)
      if (end - i >= 16) {
        EncodeSixteenBytes(bytes.data() + i, chunk + used);
        i += 16;
        used += 32;
        continue;
      }
#endif
      PutByte(chunk + used, bytes[i++]);
      used += 2;
    }
    if (i < bytes.size()) {
      chunk[used++] = u' ';
      chunk[used++] = u' ';
    }
  }
  text.append(chunk, used);
  return text;
}

std::vector<Byte> HexTextToBytes(std::u16string_view text) {
  // Every byte needs two characters, so half the text bounds the output.
  std::vector<Byte> bytes(text.size() / 2);
  Byte* out = bytes.data();
  const char16_t* in = text.data();
  const char16_t* const end = in + text.size();
  int high = -1;  // the first digit of a pair, while its partner is still to come
  while (in < end) {
#if defined(__SSE2__)
    if (high < 0) {
      while (end - in >= 16 && DecodeSixteenDigits(in, out)) {
        in += 16;
        out += 8;
      }
      if (in == end) break;
    }
#endif
    const int value = DigitValue(*in++);
    if (value < 0) continue;
    if (high < 0) {
      high = value;
    } else {
      *out++ = static_cast<Byte>(high << 4 | value);
      high = -1;
    }
  }
  bytes.resize(static_cast<std::size_t>(out - bytes.data()));
  return bytes;
}

void HexDigitReader::Read(std::string_view piece, std::vector<Byte>& out) {
  for (const char c : piece) {
    const auto u = static_cast<unsigned char>(c);
    const int value = u < 0x80 ? kDigitValues[u] : -1;
    if (value < 0) continue;
    if (m_High < 0) {
      m_High = value;
    } else {
      out.push_back(static_cast<Byte>(m_High << 4 | value));
      m_High = -1;
    }
  }
}

}  // namespace hostseal
