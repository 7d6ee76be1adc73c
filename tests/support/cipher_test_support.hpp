// Small helpers shared by the cipher and file tests: hex literals, byte arrays and the
// cipher-file framing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/byte_array.hpp"

namespace hostseal::testing {

inline std::vector<Byte> FromHex(std::string_view hex) {
  std::vector<Byte> out;
  auto digit = [](char c) { return static_cast<Byte>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10); };
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    out.push_back(static_cast<Byte>(digit(hex[i]) << 4 | digit(hex[i + 1])));
  }
  return out;
}

inline ByteArray HexArray(std::string_view hex) {
  return ByteArray(FromHex(hex));
}

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
