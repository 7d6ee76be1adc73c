// The block transformation: AES encryption and the equivalent inverse cipher on 16-byte
// blocks, by table lookup. Each inner round is 16 lookups into four tables (one per row) and
// four round-key XORs; the last round masks byte lanes out of the four-lane S-box words.
#include <cstddef>
#include <cstdint>

#include "hostseal/cipher/block_backend.hpp"
#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"

namespace hostseal {

namespace {

using Word = std::uint32_t;

// State words are packed with the first byte least significant on every platform.
inline Word Load(const Byte* p) {
  return static_cast<Word>(p[0]) | (static_cast<Word>(p[1]) << 8) |
         (static_cast<Word>(p[2]) << 16) | (static_cast<Word>(p[3]) << 24);
}

inline void Store(Byte* p, Word w) {
  p[0] = static_cast<Byte>(w);
  p[1] = static_cast<Byte>(w >> 8);
  p[2] = static_cast<Byte>(w >> 16);
  p[3] = static_cast<Byte>(w >> 24);
}

constexpr unsigned B0(Word w) {
  return w & 0xFFu;
}
constexpr unsigned B1(Word w) {
  return (w >> 8) & 0xFFu;
}
constexpr unsigned B2(Word w) {
  return (w >> 16) & 0xFFu;
}
constexpr unsigned B3(Word w) {
  return w >> 24;
}

// The offset of the 16-byte block that starts at index `start` of `array`; raises the
// index-out-of-range error unless the whole block lies inside the array.
std::size_t BlockOffset(const ByteArray& array, std::int32_t start) {
  const std::int64_t offset = static_cast<std::int64_t>(start) - array.FirstIndex();
  if (array.Empty() || offset < 0 ||
      offset + cRijndael::kBlockSize > static_cast<std::int64_t>(array.Size())) {
    throw RaisedError::SubscriptOutOfRange();
  }
  return static_cast<std::size_t>(offset);
}

}  // namespace

std::string_view cRijndael::Provider() {
  return cipher_backend::ActiveName();
}

void cRijndael::EncryptBlocks(const Byte* in, Byte* out, std::size_t n) const {
  // Without a key the tables alone give the defined result (SubBytes and ShiftRows).
  if (const auto* hardware = cipher_backend::Active(); hardware != nullptr && numRounds > 0) {
    hardware->encrypt(encRoundKey.data(), numRounds, in, out, n);
    return;
  }
  const Word* rk = encRoundKey.data();
  const int Nr = numRounds;
  for (std::size_t block = 0; block < n; ++block, in += kBlockSize, out += kBlockSize) {
    Word s0 = Load(in) ^ rk[0];
    Word s1 = Load(in + 4) ^ rk[1];
    Word s2 = Load(in + 8) ^ rk[2];
    Word s3 = Load(in + 12) ^ rk[3];
    const Word* k = rk + 4;
    for (int r = 1; r < Nr; ++r, k += 4) {
      const Word t0 =
          fwdTable0[B0(s0)] ^ fwdTable1[B1(s1)] ^ fwdTable2[B2(s2)] ^ fwdTable3[B3(s3)] ^ k[0];
      const Word t1 =
          fwdTable0[B0(s1)] ^ fwdTable1[B1(s2)] ^ fwdTable2[B2(s3)] ^ fwdTable3[B3(s0)] ^ k[1];
      const Word t2 =
          fwdTable0[B0(s2)] ^ fwdTable1[B1(s3)] ^ fwdTable2[B2(s0)] ^ fwdTable3[B3(s1)] ^ k[2];
      const Word t3 =
          fwdTable0[B0(s3)] ^ fwdTable1[B1(s0)] ^ fwdTable2[B2(s1)] ^ fwdTable3[B3(s2)] ^ k[3];
      s0 = t0;
      s1 = t1;
      s2 = t2;
      s3 = t3;
    }
    const Word o0 = (fwdSBox[B0(s0)] & 0x000000FFu) ^ (fwdSBox[B1(s1)] & 0x0000FF00u) ^
                    (fwdSBox[B2(s2)] & 0x00FF0000u) ^ (fwdSBox[B3(s3)] & 0xFF000000u) ^ k[0];
    const Word o1 = (fwdSBox[B0(s1)] & 0x000000FFu) ^ (fwdSBox[B1(s2)] & 0x0000FF00u) ^
                    (fwdSBox[B2(s3)] & 0x00FF0000u) ^ (fwdSBox[B3(s0)] & 0xFF000000u) ^ k[1];
    const Word o2 = (fwdSBox[B0(s2)] & 0x000000FFu) ^ (fwdSBox[B1(s3)] & 0x0000FF00u) ^
                    (fwdSBox[B2(s0)] & 0x00FF0000u) ^ (fwdSBox[B3(s1)] & 0xFF000000u) ^ k[2];
    const Word o3 = (fwdSBox[B0(s3)] & 0x000000FFu) ^ (fwdSBox[B1(s0)] & 0x0000FF00u) ^
                    (fwdSBox[B2(s1)] & 0x00FF0000u) ^ (fwdSBox[B3(s2)] & 0xFF000000u) ^ k[3];
    Store(out, o0);
    Store(out + 4, o1);
    Store(out + 8, o2);
    Store(out + 12, o3);
  }
}

void cRijndael::DecryptBlocks(const Byte* in, Byte* out, std::size_t n) const {
  if (const auto* hardware = cipher_backend::Active(); hardware != nullptr && numRounds > 0) {
    hardware->decrypt(decRoundKey.data(), numRounds, in, out, n);
    return;
  }
  const Word* rk = decRoundKey.data();
  const int Nr = numRounds;
  for (std::size_t block = 0; block < n; ++block, in += kBlockSize, out += kBlockSize) {
    Word s0 = Load(in) ^ rk[0];
    Word s1 = Load(in + 4) ^ rk[1];
    Word s2 = Load(in + 8) ^ rk[2];
    Word s3 = Load(in + 12) ^ rk[3];
    const Word* k = rk + 4;
    for (int r = 1; r < Nr; ++r, k += 4) {
      const Word t0 =
          invTable0[B0(s0)] ^ invTable1[B1(s3)] ^ invTable2[B2(s2)] ^ invTable3[B3(s1)] ^ k[0];
      const Word t1 =
          invTable0[B0(s1)] ^ invTable1[B1(s0)] ^ invTable2[B2(s3)] ^ invTable3[B3(s2)] ^ k[1];
      const Word t2 =
          invTable0[B0(s2)] ^ invTable1[B1(s1)] ^ invTable2[B2(s0)] ^ invTable3[B3(s3)] ^ k[2];
      const Word t3 =
          invTable0[B0(s3)] ^ invTable1[B1(s2)] ^ invTable2[B2(s1)] ^ invTable3[B3(s0)] ^ k[3];
      s0 = t0;
      s1 = t1;
      s2 = t2;
      s3 = t3;
    }
    const Word o0 = (invSBox[B0(s0)] & 0x000000FFu) ^ (invSBox[B1(s3)] & 0x0000FF00u) ^
                    (invSBox[B2(s2)] & 0x00FF0000u) ^ (invSBox[B3(s1)] & 0xFF000000u) ^ k[0];
    const Word o1 = (invSBox[B0(s1)] & 0x000000FFu) ^ (invSBox[B1(s0)] & 0x0000FF00u) ^
                    (invSBox[B2(s3)] & 0x00FF0000u) ^ (invSBox[B3(s2)] & 0xFF000000u) ^ k[1];
    const Word o2 = (invSBox[B0(s2)] & 0x000000FFu) ^ (invSBox[B1(s1)] & 0x0000FF00u) ^
                    (invSBox[B2(s0)] & 0x00FF0000u) ^ (invSBox[B3(s3)] & 0xFF000000u) ^ k[2];
    const Word o3 = (invSBox[B0(s3)] & 0x000000FFu) ^ (invSBox[B1(s2)] & 0x0000FF00u) ^
                    (invSBox[B2(s1)] & 0x00FF0000u) ^ (invSBox[B3(s0)] & 0xFF000000u) ^ k[3];
    Store(out, o0);
    Store(out + 4, o1);
    Store(out + 8, o2);
    Store(out + 12, o3);
  }
}

void cRijndael::BlockEncrypt(const ByteArray& plaintext, ByteArray& ciphertext, std::int32_t p,
                             std::int32_t q) const {
  const std::size_t in = BlockOffset(plaintext, p);
  const std::size_t out = BlockOffset(ciphertext, q);
  // The block is loaded whole before anything is stored, so the two blocks may overlap.
  EncryptBlocks(plaintext.Bytes().data() + in, ciphertext.Bytes().data() + out, 1);
}

void cRijndael::BlockDecrypt(ByteArray& plaintext, const ByteArray& ciphertext, std::int32_t p,
                             std::int32_t q) const {
  const std::size_t in = BlockOffset(ciphertext, q);
  const std::size_t out = BlockOffset(plaintext, p);
  DecryptBlocks(ciphertext.Bytes().data() + in, plaintext.Bytes().data() + out, 1);
}

}  // namespace hostseal
