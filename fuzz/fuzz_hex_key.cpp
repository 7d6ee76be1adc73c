// ParseHexKey, the reading of a key given as hexadecimal digits (--key, --key-file,
// HOSTSEAL_KEY and the window's key field). The input is UTF-16 text, two bytes a character.
// Checked against a reading done here digit by digit: a key is accepted exactly when it has 32,
// 48 or 64 characters, all hexadecimal digits, and then gives the bytes the digits spell;
// anything else raises error 1 whose description is the rule alone, the same whatever was
// given: no character, position or length of the key.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.hpp"
#include "hostseal/common/raised_error.hpp"
#include "hostseal/operations/key_choice.hpp"

namespace {

int DigitValue(char16_t c) {
  const std::u16string digits = u"0123456789abcdef";
  const std::u16string upper = u"0123456789ABCDEF";
  const std::size_t lower = digits.find(c);
  if (lower != std::u16string::npos) return static_cast<int>(lower);
  const std::size_t up = upper.find(c);
  return up != std::u16string::npos ? static_cast<int>(up) : -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    text += static_cast<char16_t>(data[i] | data[i + 1] << 8);
  }
  bool valid = text.size() == 32 || text.size() == 48 || text.size() == 64;
  for (const char16_t c : text) valid = valid && DigitValue(c) >= 0;
  try {
    const hostseal::ByteArray key = hostseal::ParseHexKey(text);
    FUZZ_CHECK(valid);
    FUZZ_CHECK(key.FirstIndex() == 0 && key.Size() == text.size() / 2);
    for (std::size_t i = 0; i < key.Size(); ++i) {
      FUZZ_CHECK(key.Bytes()[i] == DigitValue(text[2 * i]) * 16 + DigitValue(text[2 * i + 1]));
    }
  } catch (const hostseal::RaisedError& e) {
    FUZZ_CHECK(!valid);
    FUZZ_CHECK(e.Number() == 1);
    FUZZ_CHECK(e.Description() == std::string("Key: ") + hostseal::kHexKeyRule);
  }
  return 0;
}
