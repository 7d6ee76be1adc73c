// Byte-array framing: electronic codebook mode over whole arrays, zero padding to the block
// size and, when asked for, a length field in the last byte of the last block that holds the
// plain length mod 16.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"

namespace hostseal {

namespace {

constexpr auto kBlock = static_cast<std::size_t>(cRijndael::kBlockSize);

// A vector of `size` bytes for an output array that is about to be replaced: the array's own
// storage when it is large enough and not shared with the input, else a new allocation. The
// array is left untouched unless its storage is taken.
std::vector<Byte> TakeStorage(ByteArray& output, bool sharedWithInput, std::size_t size) {
  std::vector<Byte> storage;
  if (!sharedWithInput && output.Bytes().capacity() >= size) storage.swap(output.Bytes());
  storage.resize(size);
  return storage;
}

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

  // The output reuses the storage of the caller's cipher array, which is replaced anyway, when
  // it is large enough; every byte of it is written below.
  std::vector<Byte> cipher = TakeStorage(ciphertext, &plaintext == &ciphertext, C);

  const std::size_t whole = L / kBlock;
  EncryptBlocks(plain.data(), cipher.data(), whole);
  const std::size_t i = whole * kBlock;
  if (i < C) {
    // The last block: the plain tail (at most 15 bytes), zero bytes, and the length field.
    std::array<Byte, kBlock> last{};
    std::copy(plain.begin() + static_cast<std::ptrdiff_t>(i), plain.end(), last.begin());
    if (lengthField) last[kBlock - 1] = static_cast<Byte>(L % kBlock);
    EncryptBlocks(last.data(), cipher.data() + i, 1);
  }

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

  std::vector<Byte> plain = TakeStorage(plaintext, &plaintext == &ciphertext, C);
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
