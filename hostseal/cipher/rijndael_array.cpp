// Byte-array framing: electronic codebook mode over whole arrays, zero padding to the block
// size and, when asked for, a length field in the last byte of the last block that holds the
// plain length mod 16.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"

namespace hostseal {

namespace {

constexpr auto kBlock = static_cast<std::size_t>(cRijndael::kBlockSize);

}  // namespace

void cRijndael::ShowMessage(std::u16string_view text) const {
  (m_Sink != nullptr ? *m_Sink : DefaultMessageSink()).Show(text);
}

std::int32_t cRijndael::ArrayEncrypt(const ByteArray& plaintext, ByteArray& ciphertext,
                                     std::int32_t appendsize) const {
  if (plaintext.FirstIndex() != 0) {
    throw RaisedError(ErrorNumber::kCipher,
                      "cRijndael.ArrayEncrypt - plaintext must be zero based array");
  }
  const std::vector<Byte>& plain = plaintext.Bytes();
  const std::size_t L = plain.size();
  const bool lengthField = appendsize != 0;
  // With the length field there is always one more block than whole plain blocks; without it
  // the plain length is only rounded up.
  const std::size_t C =
      lengthField ? (L / kBlock + 1) * kBlock : (L + kBlock - 1) / kBlock * kBlock;

  std::vector<Byte> cipher(C, 0);
  if (lengthField) cipher[C - 1] = static_cast<Byte>(L % kBlock);

  const std::size_t whole = L / kBlock;
  EncryptBlocks(plain.data(), cipher.data(), whole);
  const std::size_t i = whole * kBlock;
  // The tail is at most 15 bytes, so it never reaches the length field in byte C - 1.
  std::copy(plain.begin() + static_cast<std::ptrdiff_t>(i), plain.end(),
            cipher.begin() + static_cast<std::ptrdiff_t>(i));
  if (i < C) EncryptBlocks(cipher.data() + i, cipher.data() + i, 1);

  // Replaced only now: plaintext and ciphertext may be one object.
  ciphertext = ByteArray(std::move(cipher));
  return 0;
}

std::int32_t cRijndael::ArrayDecrypt(ByteArray& plaintext, const ByteArray& ciphertext,
                                     std::int32_t appendsize) const {
  if (ciphertext.FirstIndex() != 0) {
    throw RaisedError(ErrorNumber::kCipher,
                      "cRijndael.ArrayDecrypt - ciphertext must be zero based array");
  }
  const std::vector<Byte>& cipher = ciphertext.Bytes();
  const std::size_t C = cipher.size();
  const bool lengthField = appendsize != 0;
  // An empty cipher text has no length field to read, so with one it is refused like any
  // other length that is not a whole number of blocks.
  if (C % kBlock != 0 || (lengthField && C == 0)) {
    ShowMessage(u"ciphertext size not a multiple of block size");
    return -1;
  }

  std::vector<Byte> plain(C);
  DecryptBlocks(cipher.data(), plain.data(), C / kBlock);

  std::int32_t status = 0;
  if (lengthField) {
    const Byte n = plain[C - 1];
    if (n >= kBlock) {
      status = 1;
    } else {
      plain.resize(C - kBlock + n);
    }
  }
  plaintext = ByteArray(std::move(plain));
  if (status == 1) ShowMessage(u"warning - incorrect length field");
  return status;
}

}  // namespace hostseal
