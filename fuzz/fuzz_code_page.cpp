// TextToAnsiBytes and AnsiBytesToText in both directions under the code page chosen by the
// first input byte: 65001, 936, 950, 932, 949, 1252 (the first six keep their selector bytes),
// then 54936 with its four-byte sequences, 20932 with its three-byte ones, and every
// single-byte code page. The rest of the input is read once as bytes of that code page and once
// as UTF-16 text. Checked everywhere: the conversions of GB18030 equal plain iconv over the whole
// input (for 65001, ToUtf8 and FromUtf8; the other code pages follow Windows' tables, held to
// Windows by the unit tests), bytes read in two pieces cut where the second input byte
// says give the same text, ASCII stays one byte each way, and bytes never give more characters
// than there are bytes. Under 65001, text without lone surrogates comes back exactly, and so do
// bytes that are valid UTF-8.
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/text/code_page.hpp"
#include "hostseal/text/code_page_table.hpp"
#include "hostseal/text/linux/code_page_converter.hpp"

namespace {

using hostseal::Byte;

constexpr std::array<std::int32_t, 33> kCodePages{
    65001, 936,   950,   932,   949,   1252,  54936, 20932, 437,   850,   866,
    874,   1250,  1251,  1253,  1254,  1256,  1257,  20127, 20866, 21866, 28591,
    28592, 28593, 28594, 28595, 28596, 28597, 28599, 28603, 28605, 1255,  1258};

// A converter of its own for each code page, for the reference conversions.
const hostseal::CodePageConverter& Reference(std::int32_t codePage) {
  static std::map<std::int32_t, std::unique_ptr<hostseal::CodePageConverter>> converters;
  auto& converter = converters[codePage];
  if (!converter) {
    converter = std::make_unique<hostseal::CodePageConverter>(*hostseal::FindCodePage(codePage));
  }
  return *converter;
}

bool HasLoneSurrogate(const std::u16string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
  if (size == 0) return 0;
  const std::int32_t codePage = kCodePages[input[0] % kCodePages.size()];
  hostseal::SetAnsiCodePage(codePage);
  const std::span<const Byte> bytes(input + 1, size - 1);

  // Bytes to text and back, the map's way against plain iconv's, whole and in two pieces.
  const hostseal::CodePageConverter& reference = Reference(codePage);
  const std::u16string text = hostseal::AnsiBytesToText(bytes);
  FUZZ_CHECK(text.size() <= bytes.size());
  const bool iconvDecides = reference.UsesIconv() || codePage == 65001;
  if (iconvDecides) {
    std::u16string throughIconv;
    reference.AppendTextThroughIconv(bytes, throughIconv);
    FUZZ_CHECK(text == throughIconv);
  }
  const std::size_t cut = size > 1 ? input[1] % (bytes.size() + 1) : 0;
  std::u16string pieces;
  const std::size_t taken = hostseal::AppendCodePageText(bytes.first(cut), codePage, false, pieces);
  FUZZ_CHECK(taken <= cut);
  hostseal::AppendCodePageText(bytes.subspan(taken), codePage, true, pieces);
  FUZZ_CHECK(pieces == text);
  const std::vector<Byte> again = hostseal::TextToAnsiBytes(text);
  bool ascii = true;
  for (const Byte b : bytes) ascii = ascii && b < 0x80;
  if (ascii) {
    FUZZ_CHECK(text.size() == bytes.size());
    for (std::size_t i = 0; i < text.size(); ++i) FUZZ_CHECK(text[i] == bytes[i]);
    FUZZ_CHECK(std::vector<Byte>(bytes.begin(), bytes.end()) == again);
  }
  if (codePage == 65001) {
    // Well-formed UTF-8 is exactly the UTF-8 of the text it gives; the library's own UTF-8
    // reader marks ill-formed input with U+FFFD, which well-formed input never decodes to
    // unless it holds EF BF BD itself.
    const std::string asString(bytes.begin(), bytes.end());
    if (hostseal::ToUtf8(hostseal::FromUtf8(asString)) == asString) {
      FUZZ_CHECK(std::vector<Byte>(bytes.begin(), bytes.end()) == again);
    }
  }

  // Text to bytes and back.
  std::u16string utf16;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    utf16.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
  }
  const std::vector<Byte> encoded = hostseal::TextToAnsiBytes(utf16);
  if (iconvDecides) {
    std::vector<Byte> encodedThroughIconv;
    reference.AppendBytesThroughIconv(utf16, encodedThroughIconv);
    FUZZ_CHECK(encoded == encodedThroughIconv);
  }
  const std::u16string decoded = hostseal::AnsiBytesToText(encoded);
  for (std::size_t i = 0; i < utf16.size() && i < decoded.size(); ++i) {
    if (utf16[i] >= 0x80) break;  // before the first non-ASCII character, text is unchanged
    FUZZ_CHECK(decoded[i] == utf16[i]);
  }
  if (codePage == 65001 && !HasLoneSurrogate(utf16)) FUZZ_CHECK(decoded == utf16);
  return 0;
}
