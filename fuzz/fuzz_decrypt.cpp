// Decrypt (and with it the hexadecimal reader) on arbitrary text, read both as UTF-16 and as
// UTF-8, under a code page chosen by the first byte. Decrypt must never raise; the message it
// shows and the emptiness of its result follow from the number of hexadecimal digits, which
// this target counts on its own.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.hpp"
#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/text/code_page.hpp"
#include "tests/support/recording_sink.hpp"

namespace {

constexpr std::array<std::int32_t, 6> kCodePages{65001, 936, 950, 932, 949, 1252};

bool IsHexDigit(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

void CheckDecrypt(const std::u16string& text) {
  std::size_t digits = 0;
  for (const char16_t c : text) digits += IsHexDigit(c) ? 1 : 0;
  const std::size_t bytes = digits / 2;

  hostseal::testing::RecordingSink sink;
  hostseal::cRijndael cipher(sink);
  std::u16string plain;
  bool raised = false;
  try {
    plain = cipher.Decrypt(text);
  } catch (...) {
    raised = true;
  }
  FUZZ_CHECK(!raised);

  FUZZ_CHECK(plain.find(u'\0') == std::u16string::npos);
  if (bytes == 0) {
    FUZZ_CHECK(plain.empty());
    FUZZ_CHECK(sink.messages.size() == 1 && sink.messages[0] == u"Text not Hex data");
  } else if (bytes % 16 != 0) {
    FUZZ_CHECK(plain.empty());
    FUZZ_CHECK(sink.messages.size() == 1 &&
               sink.messages[0] == u"ciphertext size not a multiple of block size");
  } else {
    FUZZ_CHECK(sink.messages.empty());
    // Every byte gives at most one character.
    FUZZ_CHECK(plain.size() <= bytes);
  }
}

// Under UTF-8 every text without U+0000 and without lone surrogates (FromUtf8 makes none)
// survives Encrypt and Decrypt unchanged.
void CheckRoundTrip(std::u16string text) {
  text.resize(std::min(text.find(u'\0'), text.size()));
  hostseal::testing::RecordingSink sink;
  hostseal::cRijndael cipher(sink);
  const std::u16string hex = cipher.Encrypt(text);
  FUZZ_CHECK(cipher.Decrypt(hex) == text);
  FUZZ_CHECK(sink.messages.size() == (text.empty() ? 1u : 0u));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  hostseal::SetAnsiCodePage(kCodePages[data[0] % kCodePages.size()]);
  ++data;
  --size;

  std::u16string utf16;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    utf16.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  CheckDecrypt(utf16);
  const std::u16string utf8 =
      hostseal::FromUtf8(std::string(reinterpret_cast<const char*>(data), size));
  CheckDecrypt(utf8);
  if (hostseal::AnsiCodePage() == 65001) CheckRoundTrip(utf8);
  return 0;
}
