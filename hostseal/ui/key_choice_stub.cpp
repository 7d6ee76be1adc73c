// Provisional: keys the cipher until the command line's key handling arrives.
#include "hostseal/cipher/pass_phrase.hpp"
#include "hostseal/ui/key_choice.hpp"

namespace hostseal {

void ApplyKey(cRijndael& cipher, const KeyChoice& choice) {
  cipher.SetCipherKeyString(
      choice.kind == KeyChoice::Kind::kBuiltIn ? std::u16string(kBuiltInPassPhrase) : choice.text,
      choice.kind == KeyChoice::Kind::kBuiltIn ? 128 : choice.bits);
}

}  // namespace hostseal
