#include <hostseal/cipher/rijndael.hpp>

#include <cstdio>
#include <vector>

// FIPS-197 Appendix C.1 through the installed headers and library.
int main() {
  hostseal::cRijndael cipher;
  std::vector<hostseal::Byte> key(16);
  std::vector<hostseal::Byte> block(16);
  for (unsigned i = 0; i < 16; ++i) {
    key[i] = static_cast<hostseal::Byte>(i);
    block[i] = static_cast<hostseal::Byte>(i * 0x11);
  }
  cipher.SetCipherKey(hostseal::ByteArray(key), 128);
  hostseal::ByteArray out(std::vector<hostseal::Byte>(16));
  cipher.BlockEncrypt(hostseal::ByteArray(block), out, 0, 0);
  const bool ok = out.Bytes()[0] == 0x69 && out.Bytes()[15] == 0x5A;
  std::puts(ok ? "consumer: ok" : "consumer: wrong cipher text");
  return ok ? 0 : 1;
}
