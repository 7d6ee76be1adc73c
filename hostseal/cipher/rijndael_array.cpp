// Byte-array framing: electronic codebook mode over whole arrays, zero padding to the block
// size and, when asked for, a length field in the last byte of the last block that holds the
// plain length mod 16. ArrayFraming works between raw buffers; ArrayEncrypt and ArrayDecrypt
// put ByteArrays around it.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "hostseal/cipher/array_framing.hpp"
#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/secure_wipe.hpp"

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

std::optional<std::size_t> ArrayFraming::CipherLength(std::size_t plainLength, bool lengthField) {
  if (plainLength > std::numeric_limits<std::size_t>::max() - kBlock) return std::nullopt;
  // With the length field there is always one more block than whole plain blocks; without it
  // the plain length is only rounded up.
  return lengthField ? (plainLength / kBlock + 1) * kBlock
                     : (plainLength + kBlock - 1) / kBlock * kBlock;
}

void ArrayFraming::Encrypt(const cRijndael& cipher, std::span<const Byte> plain, Byte* out,
                           bool lengthField) {
  const std::size_t L = plain.size();
  const std::size_t C = *CipherLength(L, lengthField);
  const std::size_t whole = L / kBlock;
  const std::size_t i = whole * kBlock;
  // The last block: the plain tail (at most 15 bytes), zero bytes, and the length field. It is
  // taken before the whole blocks are written, which may be in place.
  std::array<Byte, kBlock> last{};
  std::copy(plain.begin() + static_cast<std::ptrdiff_t>(i), plain.end(), last.begin());
  if (lengthField) last[kBlock - 1] = static_cast<Byte>(L % kBlock);
  cipher.EncryptBlocks(plain.data(), out, whole);
  if (i < C) cipher.EncryptBlocks(last.data(), out + i, 1);
  SecureWipe(last.data(), last.size());
}

ArrayFraming::DecryptPlan ArrayFraming::PlanDecrypt(const cRijndael& cipher,
                                                    std::span<const Byte> in, bool lengthField) {
  const std::size_t C = in.size();
  // An empty cipher text has no length field to read, so with one it is refused like any
  // other length that is not a whole number of blocks.
  if (C % kBlock != 0 || (lengthField && C == 0)) return {-1, 0};
  if (!lengthField) return {0, C};
  std::array<Byte, kBlock> last{};
  cipher.DecryptBlocks(in.data() + C - kBlock, last.data(), 1);
  const Byte n = last[kBlock - 1];
  SecureWipe(last.data(), last.size());
  if (n >= kBlock) return {1, C};
  return {0, C - kBlock + n};
}

void ArrayFraming::Decrypt(const cRijndael& cipher, std::span<const Byte> in, Byte* out,
                           const DecryptPlan& plan) {
  const std::size_t whole = plan.plainLength / kBlock;
  const std::size_t tail = plan.plainLength % kBlock;
  if (tail == 0) {
    cipher.DecryptBlocks(in.data(), out, whole);
    return;
  }
  // The block that holds the tail is decrypted aside, so that out needs room for the plain
  // bytes only; it is read before the whole blocks are written, which may be in place.
  std::array<Byte, kBlock> last{};
  cipher.DecryptBlocks(in.data() + whole * kBlock, last.data(), 1);
  cipher.DecryptBlocks(in.data(), out, whole);
  std::copy_n(last.begin(), tail, out + whole * kBlock);
  SecureWipe(last.data(), last.size());
}

void cRijndael::ShowMessage(std::u16string_view text) const {
  (m_Sink != nullptr ? *m_Sink : DefaultMessageSink()).Show(text);
}

std::int32_t cRijndael::ArrayEncrypt(const ByteArray& plaintext, ByteArray& ciphertext,
                                     std::int32_t appendsize) const {
  if (plaintext.FirstIndex() != 0) {
    throw RaisedError(ErrorNumber::kCipher,
                      "cRijndael.ArrayEncrypt - plaintext must be zero based array");
  }
  const bool lengthField = appendsize != 0;
  const std::size_t C = *ArrayFraming::CipherLength(plaintext.Size(), lengthField);
  // The output reuses the storage of the caller's cipher array, which is replaced anyway, when
  // it is large enough; every byte of it is written below.
  std::vector<Byte> cipher = TakeStorage(ciphertext, &plaintext == &ciphertext, C);
  ArrayFraming::Encrypt(*this, plaintext.Bytes(), cipher.data(), lengthField);
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
  const ArrayFraming::DecryptPlan plan =
      ArrayFraming::PlanDecrypt(*this, ciphertext.Bytes(), appendsize != 0);
  if (plan.status == -1) {
    ShowMessage(u"ciphertext size not a multiple of block size");
    return -1;
  }
  std::vector<Byte> plain = TakeStorage(plaintext, &plaintext == &ciphertext, plan.plainLength);
  ArrayFraming::Decrypt(*this, ciphertext.Bytes(), plain.data(), plan);
  plaintext = ByteArray(std::move(plain));
  if (plan.status == 1) ShowMessage(u"warning - incorrect length field");
  return plan.status;
}

}  // namespace hostseal
