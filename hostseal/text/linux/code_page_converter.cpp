#include "hostseal/text/linux/code_page_converter.hpp"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/secure_wipe.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/common/utf8_codec.hpp"
#include "hostseal/text/linux/code_page_map.hpp"

namespace hostseal {

namespace {

// 16-bit text in the byte order of this machine, so that iconv reads std::u16string in place.
constexpr const char* kNativeUtf16 =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
constexpr auto kReplacement = static_cast<char16_t>(kReplacementCharacter);
constexpr std::size_t kAsciiBlock = 16;
// The most that one step of the loops below writes: a block of ASCII.
constexpr std::size_t kStepRoom = kAsciiBlock;

[[noreturn]] void RaiseConversionFailure(const CodePageEntry& codePage, int error) {
  throw RaisedError(kInvalidCallOrArgument, "Invalid procedure call or argument: conversion with " +
                                                std::string(codePage.iconvName) + " failed (" +
                                                std::strerror(error) + ")");
}

// The output of a conversion, gathered in a buffer on the stack and appended to the container
// a buffer at a time. The buffer is wiped when the conversion ends, on every path.
template <typename Unit, typename Container>
class ChunkedOutput {
 public:
  static constexpr std::size_t kSize = 8192 / sizeof(Unit);

  explicit ChunkedOutput(Container& out) : m_Out(out) {}
  ChunkedOutput(const ChunkedOutput&) = delete;
  ChunkedOutput& operator=(const ChunkedOutput&) = delete;
  // CopyAsciiRun may have written a step beyond what was kept.
  ~ChunkedOutput() {
    SecureWipe(m_Buffer, std::min(kSize, std::max(m_Touched, m_Used) + kStepRoom) * sizeof(Unit));
  }

  // The free part of the buffer, at least kStepRoom units after a flush.
  Unit* Begin() { return m_Buffer + m_Used; }
  Unit* Limit() { return m_Buffer + kSize - kStepRoom; }
  void Wrote(const Unit* end) { m_Used = static_cast<std::size_t>(end - m_Buffer); }

  void Flush() {
    m_Out.insert(m_Out.end(), m_Buffer, m_Buffer + m_Used);
    m_Touched = std::max(m_Touched, m_Used);
    m_Used = 0;
  }

 private:
  Container& m_Out;
  Unit m_Buffer[kSize];
  std::size_t m_Used = 0;
  std::size_t m_Touched = 0;
};

// Copies the 16 units from `in` to `out` as they are, and returns how many of them, from the
// first on, are ASCII. Whatever follows the ASCII ones in `out` is to be overwritten.
std::size_t CopyAsciiRun(const Byte* in, char16_t* out) {
#if defined(__SSE2__)
  const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  const __m128i zero = _mm_setzero_si128();
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(x, zero));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(x, zero));
  const auto nonAscii = static_cast<unsigned>(_mm_movemask_epi8(x));
  return static_cast<std::size_t>(std::countr_zero(nonAscii | 0x10000U));
#else
  std::size_t k = 0;
  while (k < kAsciiBlock && in[k] < 0x80) {
    out[k] = in[k];
    ++k;
  }
  return k;
#endif
}

std::size_t CopyAsciiRun(const char16_t* in, Byte* out) {
#if defined(__SSE2__)
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 8));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(a, b));
  const __m128i high = _mm_set1_epi16(static_cast<std::int16_t>(0xFF80));
  const __m128i zero = _mm_setzero_si128();
  const __m128i asciiA = _mm_cmpeq_epi16(_mm_and_si128(a, high), zero);
  const __m128i asciiB = _mm_cmpeq_epi16(_mm_and_si128(b, high), zero);
  const auto ascii = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(asciiA, asciiB)));
  return static_cast<std::size_t>(std::countr_zero(~ascii));
#else
  std::size_t k = 0;
  while (k < kAsciiBlock && in[k] < 0x80) {
    out[k] = static_cast<Byte>(in[k]);
    ++k;
  }
  return k;
#endif
}

}  // namespace

CodePageConverter::CodePageConverter(const CodePageEntry& codePage)
    : m_CodePage(&codePage),
      m_Map(codePage.number == kUtf8CodePage ? nullptr : &CodePageMap::Of(codePage)) {
  if (m_Map != nullptr && m_Map->UsesIconv()) {
    m_ToBytes.emplace(codePage.iconvName, kNativeUtf16);
    m_ToText.emplace(kNativeUtf16, codePage.iconvName);
  }
}

std::size_t CodePageConverter::OneCharacterToBytes(std::u16string_view text, Byte* out,
                                                   std::size_t& written) const {
  const std::size_t units =
      IsHighSurrogate(text[0]) && text.size() > 1 && IsLowSurrogate(text[1]) ? 2 : 1;
  const IconvStep step =
      m_ToBytes->ConvertFromStart(text.data(), units * sizeof(char16_t), out, 2 * kMaxBytesPerUnit);
  if (step.error == 0) {
    written = step.outUsed;
    return units;
  }
  if (step.error != EILSEQ && step.error != EINVAL) RaiseConversionFailure(*m_CodePage, step.error);
  // Not in the code page or a lone surrogate: the default character for the first unit; the
  // low half of an unmappable pair then gets its own.
  out[0] = static_cast<Byte>(m_CodePage->defaultCharacter);
  written = 1;
  return 1;
}

std::size_t CodePageConverter::OneCharacterToText(std::span<const Byte> bytes, char16_t* out,
                                                  std::size_t& written) const {
  // No character is longer than four bytes, and none gives more units than it has bytes.
  const std::size_t window = std::min<std::size_t>(bytes.size(), 4);
  const IconvStep step =
      m_ToText->ConvertFromStart(bytes.data(), window, out, window * sizeof(char16_t));
  if (step.inUsed > 0) {
    written = step.outUsed / sizeof(char16_t);
    // glibc's converter may take a sequence it cannot convert without writing anything and
    // stop at the byte after it with EILSEQ (CP949 does with A2 E8). That byte is then what
    // is invalid, as a conversion of the whole text sees it: U+FFFD for it, and on after it.
    if (step.error == EILSEQ) {
      out[written++] = kReplacement;
      return step.inUsed + 1;
    }
    return step.inUsed;
  }
  if (step.error != EILSEQ && step.error != EINVAL && step.error != E2BIG) {
    RaiseConversionFailure(*m_CodePage, step.error);
  }
  // An invalid or cut-off sequence: U+FFFD for its first byte, then go on with the next one.
  out[0] = kReplacement;
  written = 1;
  return 1;
}

// The loops below keep the input and the map in locals: the output is written through
// character pointers, which the compiler must assume may change any member it would otherwise
// reload.

void CodePageConverter::AppendBytes(std::u16string_view text, std::vector<Byte>& out) const {
  ChunkedOutput<Byte, std::vector<Byte>> sink(out);
  const auto defaultByte = static_cast<Byte>(m_CodePage->defaultCharacter);
  const CodePageMap* const map = m_Map;
  const char16_t* const in = text.data();
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    Byte* o = sink.Begin();
    Byte* const limit = sink.Limit();
    while (i < n && o <= limit) {
      const char16_t c = in[i];
      if (c < 0x80) {
        if (i + kAsciiBlock <= n) {
          const std::size_t k = CopyAsciiRun(in + i, o);
          i += k;
          o += k;
        } else {
          *o++ = static_cast<Byte>(c);
          ++i;
        }
        continue;
      }
      std::size_t written = 0;
      if (map == nullptr) {
        if ((c & 0xF800) != 0xD800) {  // not a surrogate: the hot path of CJK text
          o += EncodeUtf8(c, o);
          ++i;
          continue;
        }
        const Utf16Character character = DecodeUtf16Character(in + i, n - i);
        o += EncodeUtf8(character.codePoint, o);
        i += character.units;
        continue;
      }
      std::uint16_t e = map->BytesOf(c);
      if (e == CodePageMap::kUnknownBytes) {
        map->ResolveBytes(text.substr(i), *m_ToBytes);
        e = map->BytesOf(c);
      }
      if (e == CodePageMap::kUnmapped) {
        *o++ = defaultByte;
        ++i;
      } else if (e == CodePageMap::kAskIconv || e == CodePageMap::kPendingBytes ||
                 e == CodePageMap::kUnknownBytes) {
        i += OneCharacterToBytes(text.substr(i), o, written);
        o += written;
      } else if (e < 0x100) {
        *o++ = static_cast<Byte>(e);
        ++i;
      } else {
        o[0] = static_cast<Byte>(e >> 8);
        o[1] = static_cast<Byte>(e & 0xFF);
        o += 2;
        ++i;
      }
    }
    sink.Wrote(o);
    sink.Flush();
  }
}

std::size_t CodePageConverter::AppendText(std::span<const Byte> bytes, std::u16string& out,
                                          bool last) const {
  ChunkedOutput<char16_t, std::u16string> sink(out);
  const CodePageMap* const map = m_Map;
  const Byte* const in = bytes.data();
  const std::size_t n = bytes.size();
  const std::size_t stop = last ? n : n - std::min<std::size_t>(n, kMaxBytesPerUnit - 1);
  std::size_t i = 0;
  while (i < stop) {
    char16_t* o = sink.Begin();
    char16_t* const limit = sink.Limit();
    while (i < stop && o <= limit) {
      const Byte b = in[i];
      if (b < 0x80) {
        if (i + kAsciiBlock <= n) {
          const std::size_t k = CopyAsciiRun(in + i, o);
          i += k;
          o += k;
        } else {
          *o++ = b;
          ++i;
        }
        continue;
      }
      std::size_t written = 0;
      if (map == nullptr) {
        const Utf8Character character = DecodeUtf8Character(in + i, n - i);
        o += EncodeUtf16(character.codePoint, o);
        i += character.length;
        continue;
      }
      switch (map->LeadOf(b)) {
        case CodePageMap::Lead::kUnit:
          *o++ = map->FirstUnit(b);
          ++i;
          continue;
        case CodePageMap::Lead::kInvalid:
          *o++ = kReplacement;
          ++i;
          continue;
        case CodePageMap::Lead::kDouble: {
          if (i + 1 == n) {  // cut off at the end
            *o++ = map->LoneLead();
            ++i;
            continue;
          }
          std::uint16_t u = map->SecondUnit(b, in[i + 1]);
          if (u == CodePageMap::kUnknownPair) {
            map->ResolvePairs(bytes.subspan(i), *m_ToText);
            u = map->SecondUnit(b, in[i + 1]);
          }
          if (u != CodePageMap::kPairAskIconv && u != CodePageMap::kPendingPair &&
              u != CodePageMap::kUnknownPair) {
            const bool valid = u != CodePageMap::kInvalidPair;
            *o++ = valid ? static_cast<char16_t>(u) : map->LoneLead();
            i += valid ? 2 : 1;
            continue;
          }
          break;
        }
        case CodePageMap::Lead::kAskIconv:
          break;
      }
      i += OneCharacterToText(bytes.subspan(i), o, written);
      o += written;
    }
    sink.Wrote(o);
    sink.Flush();
  }
  return i;
}

void CodePageConverter::AppendBytesThroughIconv(std::u16string_view text,
                                                std::vector<Byte>& out) const {
  if (m_Map == nullptr) {
    const std::string utf8 = ToUtf8(text);
    out.insert(out.end(), utf8.begin(), utf8.end());
    return;
  }
  if (!m_ToBytes) throw std::logic_error("no iconv reference for a code page with a table");
  const iconv_t cd = m_ToBytes->Get();
  m_ToBytes->Reset();
  std::size_t written = out.size();
  out.resize(written + kMaxBytesPerUnit * text.size() + 4);
  std::size_t pos = 0;
  while (pos < text.size()) {
    // iconv never writes through its input pointer; the cast only meets its signature.
    char* in = const_cast<char*>(reinterpret_cast<const char*>(text.data() + pos));
    std::size_t inLeft = (text.size() - pos) * sizeof(char16_t);
    char* o = reinterpret_cast<char*>(out.data() + written);
    std::size_t outLeft = out.size() - written;
    const std::size_t result = iconv(cd, &in, &inLeft, &o, &outLeft);
    const int error = errno;
    written = out.size() - outLeft;
    pos = text.size() - inLeft / sizeof(char16_t);
    if (result != static_cast<std::size_t>(-1)) break;
    if (error != EILSEQ && error != EINVAL) RaiseConversionFailure(*m_CodePage, error);
    out[written++] = static_cast<Byte>(m_CodePage->defaultCharacter);
    ++pos;
    m_ToBytes->Reset();
  }
  out.resize(written);
}

void CodePageConverter::AppendTextThroughIconv(std::span<const Byte> bytes,
                                               std::u16string& out) const {
  if (m_Map == nullptr) {
    out += FromUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return;
  }
  if (!m_ToText) throw std::logic_error("no iconv reference for a code page with a table");
  const iconv_t cd = m_ToText->Get();
  m_ToText->Reset();
  std::size_t written = out.size();
  out.resize(written + bytes.size() + 2);
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes.data() + pos));
    std::size_t inLeft = bytes.size() - pos;
    char* o = reinterpret_cast<char*>(out.data() + written);
    std::size_t outLeft = (out.size() - written) * sizeof(char16_t);
    const std::size_t result = iconv(cd, &in, &inLeft, &o, &outLeft);
    const int error = errno;
    written = out.size() - outLeft / sizeof(char16_t);
    pos = bytes.size() - inLeft;
    if (result != static_cast<std::size_t>(-1)) break;
    if (error != EILSEQ && error != EINVAL) RaiseConversionFailure(*m_CodePage, error);
    out[written++] = kReplacement;
    ++pos;
    m_ToText->Reset();
  }
  out.resize(written);
}

}  // namespace hostseal
