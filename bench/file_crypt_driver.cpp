// Encrypts or decrypts one file with a fixed 128-bit key, for timing file_vs_dd.sh against dd.
// Usage: hostseal_file_crypt_driver encrypt|decrypt IN OUT
#include <cstdio>
#include <string_view>
#include <vector>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"

int main(int argc, char** argv) {
  using hostseal::Byte;
  if (argc != 4) {
    std::fputs("usage: hostseal_file_crypt_driver encrypt|decrypt IN OUT\n", stderr);
    return 2;
  }
  const std::string_view mode = argv[1];
  hostseal::cRijndael cipher;
  cipher.SetCipherKey(hostseal::ByteArray(std::vector<Byte>(16, 0x5A)), 128);
  try {
    if (mode == "encrypt") return cipher.FileEncrypt(argv[2], argv[3], {});
    if (mode == "decrypt") return cipher.FileDecrypt(argv[3], argv[2], {});
  } catch (const hostseal::RaisedError& error) {
    std::fprintf(stderr, "error %d: %s\n", error.Number(), error.Description().c_str());
    return 3;
  }
  std::fputs("usage: hostseal_file_crypt_driver encrypt|decrypt IN OUT\n", stderr);
  return 2;
}
