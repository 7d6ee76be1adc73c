// KeyChoice: how a file operation is keyed — a key given as 32, 48 or 64 hexadecimal digits,
// a pass phrase with a key length, or the built-in pass phrase at 128 bits. Shared by the
// command line and the window.
//
// The text is a secret: a KeyChoice wipes it when it goes away, and nothing here repeats it in
// a message.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/byte_array.hpp"

namespace hostseal {

struct KeyChoice {
  enum class Kind { kBuiltIn, kHexKey, kPassPhrase };
  Kind kind = Kind::kBuiltIn;
  std::u16string text;      // the hex digits or the pass phrase
  std::int32_t bits = 128;  // key length for a pass phrase

  // Wipes the whole buffer of text, so that the key does not stay behind in freed memory.
  ~KeyChoice();
};

// What a key given as digits must be, in every message about one that is not: the rule only,
// never a character, a position or the length of what was given, which would tell part of
// the key to whoever reads the message.
inline constexpr char kHexKeyRule[] = "the key must be 32, 48 or 64 hexadecimal digits";

// True for 32, 48 or 64 hexadecimal digits, upper or lower case, and nothing else.
bool IsHexKey(std::u16string_view digits);

// The key bytes of digits that IsHexKey takes. Anything else raises a RaisedError (1)
// "Key: " and kHexKeyRule.
ByteArray ParseHexKey(const std::u16string& digits);

// Sets the cipher's key. Digits that are not a key raise ParseHexKey's RaisedError.
void ApplyKey(cRijndael& cipher, const KeyChoice& choice);

// A note for the user when a pass phrase does not make the key it seems to: empty, or longer
// in the code page in force than the key, so that its tail is ignored ("only the first 16
// bytes of the pass phrase are used"). Empty when there is nothing to say, and for the other
// kinds. The key derivation itself is the format's and stays as it is.
std::string PassPhraseNote(const KeyChoice& choice);

// The note for `what` (the pass phrase, the text) when the code page in force cannot hold
// every character of it exactly (CodePageHoldsText): Windows' best-fit character or "?" then
// takes the place of a character, on both systems alike, so that the key or cipher text is not
// that of the text as typed.
std::string InexactTextNote(std::string_view what);

// InexactTextNote for a text to encrypt, in the same words from the tool and the window.
std::string InexactPlainTextNote();

// Both notes of a key choice, the code page's first; empty ones left out.
std::vector<std::string> KeyChoiceNotes(const KeyChoice& choice);

}  // namespace hostseal
