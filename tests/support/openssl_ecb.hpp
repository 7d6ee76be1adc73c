// AES-ECB without padding through OpenSSL's libcrypto, the independent oracle of the cipher's
// tests and fuzz targets: a key of 16, 24 or 32 bytes, data a whole number of blocks.
#pragma once

#include <openssl/evp.h>

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <vector>

#include "hostseal/common/byte_array.hpp"

namespace hostseal::testing {

inline std::vector<Byte> OpenSslEcb(bool encrypt, const std::vector<Byte>& key, const Byte* data,
                                    std::size_t size) {
  const std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                            EVP_CIPHER_CTX_free);
  const EVP_CIPHER* cipher = key.size() == 16   ? EVP_aes_128_ecb()
                             : key.size() == 24 ? EVP_aes_192_ecb()
                                                : EVP_aes_256_ecb();
  std::vector<Byte> out(size + 16);
  int written = 0;
  int last = 0;
  if (!ctx || EVP_CipherInit_ex(ctx.get(), cipher, nullptr, key.data(), nullptr, encrypt) != 1 ||
      EVP_CIPHER_CTX_set_padding(ctx.get(), 0) != 1 ||
      EVP_CipherUpdate(ctx.get(), out.data(), &written, data, static_cast<int>(size)) != 1 ||
      EVP_CipherFinal_ex(ctx.get(), out.data() + written, &last) != 1) {
    throw std::runtime_error("OpenSSL's AES-ECB failed");
  }
  out.resize(static_cast<std::size_t>(written + last));
  return out;
}

}  // namespace hostseal::testing
