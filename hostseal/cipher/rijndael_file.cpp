// Provisional: file encryption arrives later.
#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"

namespace hostseal {

std::int32_t cRijndael::FileEncrypt(const std::u16string& /*PlaintextFileName*/,
                                    const std::u16string& /*CiphertextFileName*/) const {
  throw RaisedError(ErrorNumber::kCipher, "cRijndael.FileEncrypt - not available yet");
}

std::int32_t cRijndael::FileDecrypt(const std::u16string& /*PlaintextFileName*/,
                                    const std::u16string& /*CiphertextFileName*/) const {
  throw RaisedError(ErrorNumber::kCipher, "cRijndael.FileDecrypt - not available yet");
}

}  // namespace hostseal

namespace hostseal {

std::int32_t cRijndael::FileEncrypt(const std::filesystem::path& /*plainFile*/,
                                    const std::filesystem::path& /*cipherFile*/,
                                    const FileProgress& /*progress*/) const {
  throw RaisedError(ErrorNumber::kCipher, "cRijndael.FileEncrypt - not available yet");
}

std::int32_t cRijndael::FileDecrypt(const std::filesystem::path& /*plainFile*/,
                                    const std::filesystem::path& /*cipherFile*/,
                                    const FileProgress& /*progress*/) const {
  throw RaisedError(ErrorNumber::kCipher, "cRijndael.FileDecrypt - not available yet");
}

}  // namespace hostseal
