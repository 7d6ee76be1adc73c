// hostseal: a short demonstration of the cipher until the full command line arrives.
#include <cstdio>
#include <vector>

#include "hostseal/cipher/rijndael.hpp"

int main() {
  using hostseal::Byte;
  using hostseal::ByteArray;
  hostseal::cRijndael cipher;
  std::vector<Byte> key(16);
  for (int i = 0; i < 16; ++i) key[static_cast<std::size_t>(i)] = static_cast<Byte>(i);
  cipher.SetCipherKey(ByteArray(key), 128);
  ByteArray plain(std::vector<Byte>{'h', 'o', 's', 't', 's', 'e', 'a', 'l'});
  ByteArray sealed;
  cipher.ArrayEncrypt(plain, sealed, 1);
  std::printf("hostseal: \"hostseal\" under key 000102...0F, with the length field:\n");
  for (Byte b : sealed.Bytes()) std::printf("%02X", b);
  std::printf("\n");
  return 0;
}
