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

// 32, 48 or 64 hexadecimal digits, upper or lower case, nothing else, as key bytes. Anything
// else raises a RaisedError (1) whose description says what is wrong: the count of digits, or
// the position of the first character that is not a digit (printable ASCII quoted, anything
// else as its code), never the digits themselves.
ByteArray ParseHexKey(const std::u16string& digits);

// Sets the cipher's key. Bad hex digits or an unusable length raise a RaisedError with a
// description that says what is wrong.
void ApplyKey(cRijndael& cipher, const KeyChoice& choice);

// A note for the user when a pass phrase does not make the key it seems to: empty, or longer
// in the code page in force than the key, so that its tail is ignored ("only the first 16
// bytes of the pass phrase are used"). Empty when there is nothing to say, and for the other
// kinds. The key derivation itself is the format's and stays as it is.
std::string PassPhraseNote(const KeyChoice& choice);

// The note for `what` (the pass phrase, the text) when the code page in force cannot hold
// every character of it exactly (CodePageHoldsText): its bytes then follow the system's own
// substitution, best fit on Windows and "?" on Linux, so that keys and cipher text differ
// between the systems.
std::string InexactTextNote(std::string_view what);

// Both notes of a key choice, the code page's first; empty ones left out.
std::vector<std::string> KeyChoiceNotes(const KeyChoice& choice);

}  // namespace hostseal
