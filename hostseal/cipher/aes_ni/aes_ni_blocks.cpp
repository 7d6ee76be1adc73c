#include "hostseal/cipher/aes_ni/aes_ni_blocks.hpp"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include "hostseal/common/secure_wipe.hpp"

#define HOSTSEAL_AES_NI __attribute__((target("aes,sse4.1")))

namespace hostseal::cipher_backend {

namespace {

constexpr std::size_t kLanes = 8;  // blocks in flight: enough to cover the instruction latency

HOSTSEAL_AES_NI inline __m128i Load(const void* p) {
  return _mm_loadu_si128(static_cast<const __m128i*>(p));
}

HOSTSEAL_AES_NI inline void Store(void* p, __m128i v) {
  _mm_storeu_si128(static_cast<__m128i*>(p), v);
}

struct EncryptRounds {
  HOSTSEAL_AES_NI static __m128i Round(__m128i b, __m128i k) { return _mm_aesenc_si128(b, k); }
  HOSTSEAL_AES_NI static __m128i Last(__m128i b, __m128i k) { return _mm_aesenclast_si128(b, k); }
};

struct DecryptRounds {
  HOSTSEAL_AES_NI static __m128i Round(__m128i b, __m128i k) { return _mm_aesdec_si128(b, k); }
  HOSTSEAL_AES_NI static __m128i Last(__m128i b, __m128i k) { return _mm_aesdeclast_si128(b, k); }
};

// Both directions: the key schedule hands decryption the equivalent inverse cipher's keys, so
// only the round instructions differ.
template <typename Rounds>
HOSTSEAL_AES_NI void TransformBlocks(const std::uint32_t* roundKeys, int rounds, const Byte* in,
                                     Byte* out, std::size_t n) {
  __m128i k[15];
  const bool copied = n >= kLanes;
  if (copied) {
    for (int r = 0; r <= rounds; ++r) k[r] = Load(roundKeys + 4 * static_cast<std::size_t>(r));
  }
  for (; n >= kLanes; n -= kLanes, in += 16 * kLanes, out += 16 * kLanes) {
    __m128i b[kLanes];
#pragma GCC unroll 8
    for (std::size_t i = 0; i < kLanes; ++i) b[i] = _mm_xor_si128(Load(in + 16 * i), k[0]);
    for (int r = 1; r < rounds; ++r) {
#pragma GCC unroll 8
      for (std::size_t i = 0; i < kLanes; ++i) b[i] = Rounds::Round(b[i], k[r]);
    }
#pragma GCC unroll 8
    for (std::size_t i = 0; i < kLanes; ++i) Store(out + 16 * i, Rounds::Last(b[i], k[rounds]));
  }
  if (copied) SecureWipe(k, sizeof k);  // the stack copy of the round keys
  // The last few blocks, or a single one: keys straight from the schedule.
  for (; n > 0; --n, in += 16, out += 16) {
    __m128i b = _mm_xor_si128(Load(in), Load(roundKeys));
    for (int r = 1; r < rounds; ++r) {
      b = Rounds::Round(b, Load(roundKeys + 4 * static_cast<std::size_t>(r)));
    }
    Store(out, Rounds::Last(b, Load(roundKeys + 4 * static_cast<std::size_t>(rounds))));
  }
}

}  // namespace

void AesNiEncryptBlocks(const std::uint32_t* roundKeys, int rounds, const Byte* in, Byte* out,
                        std::size_t n) {
  TransformBlocks<EncryptRounds>(roundKeys, rounds, in, out, n);
}

void AesNiDecryptBlocks(const std::uint32_t* roundKeys, int rounds, const Byte* in, Byte* out,
                        std::size_t n) {
  TransformBlocks<DecryptRounds>(roundKeys, rounds, in, out, n);
}

}  // namespace hostseal::cipher_backend

#endif
