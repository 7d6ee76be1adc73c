// The Windows conversions of the code-page layer: WideCharToMultiByte and MultiByteToWideChar
// with no flags and the code page's own default character, so that text the code page cannot
// hold turns out exactly as in any other Windows program (best-fit characters included: "ā"
// becomes "a" in 1252), and the code page in force starts as GetACP().
//
// Long inputs go to the system in pieces of at most kPiece units or bytes, cut where a
// character ends, so every conversion is one pass however long its input.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "hostseal/common/utf8_codec.hpp"
#include "hostseal/text/code_page.hpp"
#include "hostseal/text/code_page_platform.hpp"

namespace hostseal {

namespace {

constexpr std::size_t kPiece = std::size_t{1} << 26;
// The most bytes one 16-bit unit gives (GB18030), and units one byte gives.
constexpr std::size_t kMaxBytesPerUnit = 4;

UINT Windows(std::int32_t codePage) {
  return static_cast<UINT>(codePage);
}

// How many of the n bytes of UTF-8 read the same whatever follows. Well-formed text is cut
// between characters. After a malformed sequence decoders differ in how many of the following
// bytes they take with it (Wine's takes an ASCII byte that follows an unfinished lead), but
// none takes more than six bytes in all, so the text is cut again only where five ASCII bytes
// in a row have put every decoder back at the start of a character.
std::size_t WholeUtf8(const Byte* bytes, std::size_t n) {
  constexpr std::size_t kAsciiToResynchronise = 5;
  std::size_t whole = 0;
  std::size_t at = 0;
  while (at < n) {
    const Utf8Character character = DecodeUtf8Character(bytes + at, n - at);
    if (character.form == Utf8Form::kCutOff) break;
    if (character.form == Utf8Form::kWellFormed) {
      at += character.length;
      whole = at;
      continue;
    }
    std::size_t ascii = 0;
    for (++at; at < n && ascii < kAsciiToResynchronise; ++at) {
      ascii = bytes[at] < 0x80 ? ascii + 1 : 0;
    }
    if (ascii < kAsciiToResynchronise) break;
    whole = at;
  }
  return whole;
}

// How long a character of a double-byte code page or of GB18030 is, from its first bytes; 0
// when the bytes end before it does.
std::size_t CharacterLength(std::int32_t codePage, const Byte* bytes, std::size_t n) {
  const Byte b = bytes[0];
  if (b < 0x80) return 1;
  if (codePage == 54936) {
    if (b == 0x80 || b == 0xFF) return 1;
    if (n < 2) return 0;
    if (bytes[1] < 0x30 || bytes[1] > 0x39) return 2;
    return n < 4 ? 0 : 4;
  }
  if (!::IsDBCSLeadByteEx(Windows(codePage), b)) return 1;
  return n < 2 ? 0 : 2;
}

bool IsSingleByte(std::int32_t codePage) {
  CPINFO info{};
  return ::GetCPInfo(Windows(codePage), &info) && info.MaxCharSize == 1;
}

// How many of the n bytes make whole characters: the text of those does not depend on what
// follows them.
std::size_t WholeCharacters(std::int32_t codePage, const Byte* bytes, std::size_t n) {
  if (codePage == kUtf8CodePage) return WholeUtf8(bytes, n);
  if (IsSingleByte(codePage)) return n;
  std::size_t at = 0;
  while (at < n) {
    const std::size_t length = CharacterLength(codePage, bytes + at, n - at);
    if (length == 0) break;
    at += length;
  }
  return at;
}

[[noreturn]] void RaiseCannotConvert(std::int32_t codePage) {
  RaiseUnknownCodePage("code page " + std::to_string(codePage) + " cannot convert here (error " +
                       std::to_string(::GetLastError()) + ")");
}

void AppendTextOf(const Byte* bytes, std::size_t n, std::int32_t codePage, std::u16string& out) {
  if (n == 0) return;
  const auto length = static_cast<int>(n);
  const auto* in = reinterpret_cast<const char*>(bytes);
  const int units = ::MultiByteToWideChar(Windows(codePage), 0, in, length, nullptr, 0);
  if (units <= 0) RaiseCannotConvert(codePage);
  const std::size_t start = out.size();
  out.resize(start + static_cast<std::size_t>(units));
  ::MultiByteToWideChar(Windows(codePage), 0, in, length, reinterpret_cast<wchar_t*>(&out[start]),
                        units);
}

void AppendBytesOf(const char16_t* text, std::size_t n, std::int32_t codePage,
                   std::vector<Byte>& out) {
  if (n == 0) return;
  const auto length = static_cast<int>(n);
  const auto* in = reinterpret_cast<const wchar_t*>(text);
  const int bytes =
      ::WideCharToMultiByte(Windows(codePage), 0, in, length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) RaiseCannotConvert(codePage);
  const std::size_t start = out.size();
  out.resize(start + static_cast<std::size_t>(bytes));
  ::WideCharToMultiByte(Windows(codePage), 0, in, length, reinterpret_cast<char*>(&out[start]),
                        bytes, nullptr, nullptr);
}

bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

// Appends the bytes of text, piece by piece; a piece never ends between the two halves of a
// surrogate pair.
void AppendAllBytes(std::u16string_view text, std::int32_t codePage, std::vector<Byte>& out) {
  while (!text.empty()) {
    std::size_t n = std::min(text.size(), kPiece);
    if (n < text.size() && IsHighSurrogate(text[n - 1])) --n;
    AppendBytesOf(text.data(), n, codePage, out);
    text.remove_prefix(n);
  }
}

// Appends the text of the whole characters of bytes, piece by piece; returns the bytes taken.
std::size_t AppendAllText(std::span<const Byte> bytes, std::int32_t codePage, bool last,
                          std::u16string& out) {
  std::size_t taken = 0;
  while (taken < bytes.size()) {
    const std::size_t left = bytes.size() - taken;
    const bool final = left <= kPiece;
    std::size_t n = std::min(left, kPiece);
    if (!(final && last)) {
      n = WholeCharacters(codePage, bytes.data() + taken, n);
      if (n == 0 && !final) n = std::min(left, kPiece);  // no character that long: take it all
    }
    AppendTextOf(bytes.data() + taken, n, codePage, out);
    taken += n;
    if (final) break;
  }
  return taken;
}

}  // namespace

std::int32_t SystemAnsiCodePage() {
  return static_cast<std::int32_t>(::GetACP());
}

bool ConvertsCodePage(std::int32_t codePage) {
  // Not the numbers that stand for another code page (CP_ACP, CP_OEMCP, CP_MACCP,
  // CP_THREAD_ACP, CP_SYMBOL): a code page is named by its own number.
  if (codePage <= CP_THREAD_ACP || codePage == CP_SYMBOL) return false;
  if (::IsValidCodePage(Windows(codePage)) == FALSE) return false;
  // Nor the stateful ones (UTF-7, ISO-2022, ISCII) and those of UTF-16 and UTF-32, whose
  // characters cannot be told apart byte by byte as the conversions in pieces need:
  // single-byte, double-byte, GB18030 and UTF-8 only.
  CPINFO info{};
  return codePage == 54936 || codePage == kUtf8CodePage ||
         (::GetCPInfo(Windows(codePage), &info) != FALSE && info.MaxCharSize <= 2);
}

std::string ConvertibleCodePages() {
  return "those installed on this system, such as " + KnownCodePages();
}

void PrepareCodePage(std::int32_t codePage) {
  if (!ConvertsCodePage(codePage)) {
    RaiseUnknownCodePage("code page " + std::to_string(codePage) +
                         " is not installed on this system");
  }
}

std::vector<Byte> TextToCodePageBytes(std::u16string_view text, std::int32_t codePage) {
  PrepareCodePage(codePage);
  std::vector<Byte> out;
  // Room for the longest result, so that the bytes are never moved and no unwiped copy of a
  // pass phrase is left behind.
  out.reserve(text.size() <= out.max_size() / kMaxBytesPerUnit ? kMaxBytesPerUnit * text.size()
                                                               : text.size());
  AppendAllBytes(text, codePage, out);
  return out;
}

std::u16string CodePageBytesToText(std::span<const Byte> bytes, std::int32_t codePage) {
  PrepareCodePage(codePage);
  std::u16string out;
  out.reserve(bytes.size());  // no byte gives more than one unit
  AppendAllText(bytes, codePage, true, out);
  return out;
}

void AppendCodePageBytes(std::u16string_view text, std::int32_t codePage, std::vector<Byte>& out) {
  PrepareCodePage(codePage);
  const std::size_t most = kMaxBytesPerUnit * text.size();
  if (out.capacity() - out.size() < most) {
    out.reserve(std::max(out.size() + most, 2 * out.capacity()));
  }
  AppendAllBytes(text, codePage, out);
}

std::size_t AppendCodePageText(std::span<const Byte> bytes, std::int32_t codePage, bool last,
                               std::u16string& out) {
  PrepareCodePage(codePage);
  if (out.capacity() - out.size() < bytes.size()) {
    out.reserve(std::max(out.size() + bytes.size(), 2 * out.capacity()));
  }
  return AppendAllText(bytes, codePage, last, out);
}

}  // namespace hostseal
