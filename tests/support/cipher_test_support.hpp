// Small helpers shared by the cipher and file tests: byte sequences and the cipher-file
// framing.
#pragma once

#include <cstddef>
#include <vector>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/byte_array.hpp"

namespace hostseal::testing {

inline std::vector<Byte> Sequence(std::size_t n, Byte start = 0) {
  std::vector<Byte> out(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<Byte>(start + i);
  return out;
}

// The cipher-file framing of plain under the cipher's key: ArrayEncrypt with the length field.
inline std::vector<Byte> FramedWithLength(const cRijndael& cipher, const std::vector<Byte>& plain) {
  ByteArray framed;
  cipher.ArrayEncrypt(ByteArray(plain), framed, 1);
  return framed.Bytes();
}

}  // namespace hostseal::testing
