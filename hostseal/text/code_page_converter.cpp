#include "hostseal/text/code_page_converter.hpp"

#include <bit>
#include <cerrno>
#include <cstring>
#include <string>

#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/utf8.hpp"

namespace hostseal {

namespace {

// 16-bit text in the byte order of this machine, so that iconv reads std::u16string in place.
constexpr const char* kNativeUtf16 =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
constexpr char16_t kReplacement = 0xFFFD;
constexpr auto kFailed = static_cast<std::size_t>(-1);

[[noreturn]] void RaiseConversionFailure(const CodePageEntry& codePage, int error) {
  throw RaisedError(kInvalidCallOrArgument, "Invalid procedure call or argument: conversion with " +
                                                std::string(codePage.iconvName) + " failed (" +
                                                std::strerror(error) + ")");
}

}  // namespace

CodePageConverter::CodePageConverter(const CodePageEntry& codePage)
    : m_CodePage(&codePage),
      m_Utf8(codePage.number == kUtf8CodePage),
      m_ToBytes(codePage.iconvName, kNativeUtf16),
      m_ToText(kNativeUtf16, codePage.iconvName) {}

void CodePageConverter::AppendBytes(std::u16string_view text, std::vector<Byte>& out) const {
  if (m_Utf8) {
    const std::string utf8 = ToUtf8(text);
    out.insert(out.end(), utf8.begin(), utf8.end());
    return;
  }
  const iconv_t cd = m_ToBytes.Get();
  m_ToBytes.Reset();
  std::size_t written = out.size();
  // Four bytes a unit hold any of the known code pages; a shortage only costs a second round.
  out.resize(written + 4 * text.size() + 4);
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
    if (result != kFailed) break;
    if (error == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    if (error != EILSEQ && error != EINVAL) RaiseConversionFailure(*m_CodePage, error);
    // Not in the code page, a lone surrogate or one cut off at the end: the default character.
    // An unmappable surrogate pair takes two rounds, its low half then being a lone surrogate,
    // so it gives two default characters, one per 16-bit unit.
    if (written == out.size()) out.resize(written + 1 + 4 * (text.size() - pos));
    out[written++] = static_cast<Byte>(m_CodePage->defaultCharacter);
    ++pos;
    m_ToBytes.Reset();
  }
  out.resize(written);
}

void CodePageConverter::AppendText(std::span<const Byte> bytes, std::u16string& out) const {
  if (m_Utf8) {
    out += FromUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return;
  }
  const iconv_t cd = m_ToText.Get();
  m_ToText.Reset();
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
    if (result != kFailed) break;
    if (error == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    if (error != EILSEQ && error != EINVAL) RaiseConversionFailure(*m_CodePage, error);
    // An invalid or cut-off sequence: U+FFFD for its first byte, then go on with the next one.
    if (written == out.size()) out.resize(written + 1 + (bytes.size() - pos));
    out[written++] = kReplacement;
    ++pos;
    m_ToText.Reset();
  }
  out.resize(written);
}

}  // namespace hostseal
