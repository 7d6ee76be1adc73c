#include "hostseal/ui/key_choice.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "hostseal/cipher/pass_phrase.hpp"
#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/secure_wipe.hpp"
#include "hostseal/text/code_page.hpp"

namespace hostseal {

namespace {

std::optional<Byte> HexDigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return static_cast<Byte>(c - u'0');
  if (c >= u'A' && c <= u'F') return static_cast<Byte>(c - u'A' + 10);
  if (c >= u'a' && c <= u'f') return static_cast<Byte>(c - u'a' + 10);
  return std::nullopt;
}

// A character as it reads in an error description: printable ASCII quoted, anything else as
// its code, so that control characters never reach a terminal raw.
std::string DescribeCharacter(char16_t c) {
  if (c >= 0x20 && c < 0x7F) return std::string("\"") + static_cast<char>(c) + "\"";
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string code = "U+";
  for (int shift = 12; shift >= 0; shift -= 4) code += kDigits[(c >> shift) & 0xF];
  return code;
}

}  // namespace

KeyChoice::~KeyChoice() {
  SecureWipe(text.data(), text.capacity() * sizeof(char16_t));
}

ByteArray ParseHexKey(const std::u16string& digits) {
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (!HexDigitValue(digits[i])) {
      throw RaisedError(ErrorNumber::kCipher, "Key: " + DescribeCharacter(digits[i]) +
                                                  " at position " + std::to_string(i + 1) +
                                                  " is not a hexadecimal digit");
    }
  }
  if (digits.size() != 32 && digits.size() != 48 && digits.size() != 64) {
    throw RaisedError(ErrorNumber::kCipher,
                      "Key: " + std::to_string(digits.size()) +
                          " hexadecimal digits; a key has 32, 48 or 64 (128, 192 or 256 bits)");
  }
  std::vector<Byte> key(digits.size() / 2);
  for (std::size_t i = 0; i < key.size(); ++i) {
    key[i] =
        static_cast<Byte>(*HexDigitValue(digits[2 * i]) << 4 | *HexDigitValue(digits[2 * i + 1]));
  }
  return ByteArray(std::move(key));
}

void ApplyKey(cRijndael& cipher, const KeyChoice& choice) {
  switch (choice.kind) {
    case KeyChoice::Kind::kHexKey: {
      ByteArray key = ParseHexKey(choice.text);
      const SecretBytesGuard keyGuard(key.Bytes());
      cipher.SetCipherKey(key, static_cast<std::int32_t>(key.Size() * 8));
      return;
    }
    case KeyChoice::Kind::kPassPhrase:
      cipher.SetCipherKeyString(choice.text, choice.bits);
      return;
    case KeyChoice::Kind::kBuiltIn:
      // The key of the text encryption: the built-in pass phrase at 128 bits.
      cipher.SetCipherKeyString(std::u16string(kBuiltInPassPhrase), 128);
      return;
  }
}

std::string PassPhraseNote(const KeyChoice& choice) {
  if (choice.kind != KeyChoice::Kind::kPassPhrase) return {};
  if (choice.text.empty()) return "the pass phrase is empty; the key is all zero bytes";
  std::vector<Byte> bytes = TextToAnsiBytes(choice.text);
  const SecretBytesGuard bytesGuard(bytes);
  const auto keyBytes = static_cast<std::size_t>(choice.bits / 8);
  if (bytes.size() <= keyBytes) return {};
  return "only the first " + std::to_string(keyBytes) + " bytes of the pass phrase are used";
}

std::string InexactTextNote(std::string_view what) {
  return "code page " + std::to_string(AnsiCodePage()) + " cannot hold every character of " +
         std::string(what) +
         " exactly; this system substitutes them (Windows a similar letter, Linux '?'), so "
         "the result differs between Windows and Linux";
}

std::vector<std::string> KeyChoiceNotes(const KeyChoice& choice) {
  std::vector<std::string> notes;
  if (choice.kind == KeyChoice::Kind::kPassPhrase &&
      !CodePageHoldsText(choice.text, AnsiCodePage())) {
    notes.push_back(InexactTextNote("the pass phrase"));
  }
  notes.push_back(PassPhraseNote(choice));
  std::erase(notes, std::string{});
  return notes;
}

}  // namespace hostseal
