// Decrypt (and with it the hexadecimal reader) on arbitrary text, read both as UTF-16 and as
// UTF-8, under a code page chosen by the first byte. Decrypt must never raise; the message it
// shows follows from the number of hexadecimal digits, and its result from the bytes that this
// target reads from the digits on its own, one character at a time.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.hpp"
#include "hostseal/cipher/pass_phrase.hpp"
#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/utf8.hpp"
#include "hostseal/text/code_page.hpp"
#include "tests/support/recording_sink.hpp"

namespace {

constexpr std::array<std::int32_t, 6> kCodePages{65001, 936, 950, 932, 949, 1252};

bool IsHexDigit(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

int DigitValue(char16_t c) {
  if (c <= u'9') return c - u'0';
  if (c <= u'F') return c - u'A' + 10;
  return c - u'a' + 10;
}

// The text that Decrypt should give for the bytes read here one digit at a time: the bytes
// decrypted under the pass-phrase key, as text, up to the first U+0000.
std::u16string ExpectedPlain(const std::vector<hostseal::Byte>& bytes) {
  hostseal::testing::RecordingSink sink;
  hostseal::cRijndael cipher(sink);
  cipher.SetCipherKeyString(hostseal::kBuiltInPassPhrase, 128);
  hostseal::ByteArray plain;
  FUZZ_CHECK(cipher.ArrayDecrypt(plain, hostseal::ByteArray(bytes), 0) == 0);
  std::u16string text = hostseal::AnsiBytesToText(plain.Bytes());
  text.resize(std::min(text.find(u'\0'), text.size()));
  return text;
}

void CheckDecrypt(const std::u16string& text) {
  std::vector<hostseal::Byte> parsed;
  int high = -1;
  for (const char16_t c : text) {
    if (!IsHexDigit(c)) continue;
    if (high < 0) {
      high = DigitValue(c);
    } else {
      parsed.push_back(static_cast<hostseal::Byte>(high * 16 + DigitValue(c)));
      high = -1;
    }
  }
  const std::size_t bytes = parsed.size();

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
    FUZZ_CHECK(plain == ExpectedPlain(parsed));
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
