// Provisional: text encryption and hexadecimal text arrive with the code-page layer.
#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"

namespace hostseal {

std::u16string cRijndael::Encrypt(const std::u16string& /*strInfo*/) {
  throw RaisedError(ErrorNumber::kCipher, "cRijndael.Encrypt - not available yet");
}

std::u16string cRijndael::Decrypt(const std::u16string& /*strInfo*/) {
  return {};
}

}  // namespace hostseal
