#include "hostseal/operations/key_choice.hpp"

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

}  // namespace

KeyChoice::~KeyChoice() {
  SecureWipe(text.data(), text.capacity() * sizeof(char16_t));
}

bool IsHexKey(std::u16string_view digits) {
  if (digits.size() != 32 && digits.size() != 48 && digits.size() != 64) return false;
  for (const char16_t c : digits) {
    if (!HexDigitValue(c)) return false;
  }
  return true;
}

ByteArray ParseHexKey(const std::u16string& digits) {
  if (!IsHexKey(digits)) {
    throw RaisedError(ErrorNumber::kCipher, std::string("Key: ") + kHexKeyRule);
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
         " exactly; a similar letter (Windows' best fit) or '?' takes their place, on Windows "
         "and Linux alike";
}

std::string InexactPlainTextNote() {
  return InexactTextNote("the text");
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
