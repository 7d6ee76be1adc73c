// KeyChoice: how a file operation is keyed — a key given as 32, 48 or 64 hexadecimal digits,
// a pass phrase with a key length, or the built-in pass phrase at 128 bits. Shared by the
// command line and the window.
#pragma once

#include <cstdint>
#include <string>

#include "hostseal/cipher/rijndael.hpp"

namespace hostseal {

struct KeyChoice {
  enum class Kind { kBuiltIn, kHexKey, kPassPhrase };
  Kind kind = Kind::kBuiltIn;
  std::u16string text;      // the hex digits or the pass phrase
  std::int32_t bits = 128;  // key length for a pass phrase
};

// Sets the cipher's key. Bad hex digits or an unusable length raise a RaisedError with a
// description that says what is wrong.
void ApplyKey(cRijndael& cipher, const KeyChoice& choice);

}  // namespace hostseal
