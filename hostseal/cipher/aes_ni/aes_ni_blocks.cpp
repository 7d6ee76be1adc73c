#include "hostseal/cipher/aes_ni/aes_ni_blocks.hpp"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

namespace hostseal::cipher_backend {

namespace {

constexpr std::size_t kLanes = 8;  // blocks in flight: enough to cover the instruction latency

__attribute__((target("aes,sse4.1"))) inline __m128i Load(const void* p) {
  return _mm_loadu_si128(static_cast<const __m128i*>(p));
}

__attribute__((target("aes,sse4.1"))) inline void Store(void* p, __m128i v) {
  _mm_storeu_si128(static_cast<__m128i*>(p), v);
}

}  // namespace

__attribute__((target("aes,sse4.1"))) void AesNiEncryptBlocks(const std::uint32_t* roundKeys,
                                                              int rounds, const Byte* in, Byte* out,
                                                              std::size_t n) {
  __m128i k[15];
  if (n >= kLanes) {
    for (int r = 0; r <= rounds; ++r) k[r] = Load(roundKeys + 4 * r);
  }
  for (; n >= kLanes; n -= kLanes, in += 16 * kLanes, out += 16 * kLanes) {
    __m128i b[kLanes];
#pragma GCC unroll 8
    for (std::size_t i = 0; i < kLanes; ++i) b[i] = _mm_xor_si128(Load(in + 16 * i), k[0]);
    for (int r = 1; r < rounds; ++r) {
#pragma GCC unroll 8
      for (std::size_t i = 0; i < kLanes; ++i) b[i] = _mm_aesenc_si128(b[i], k[r]);
    }
#pragma GCC unroll 8
    for (std::size_t i = 0; i < kLanes; ++i) {
      Store(out + 16 * i, _mm_aesenclast_si128(b[i], k[rounds]));
    }
  }
  // The last few blocks, or a single one: keys straight from the schedule.
  for (; n > 0; --n, in += 16, out += 16) {
    __m128i b = _mm_xor_si128(Load(in), Load(roundKeys));
    for (int r = 1; r < rounds; ++r) b = _mm_aesenc_si128(b, Load(roundKeys + 4 * r));
    Store(out, _mm_aesenclast_si128(b, Load(roundKeys + 4 * rounds)));
  }
}

__attribute__((target("aes,sse4.1"))) void AesNiDecryptBlocks(const std::uint32_t* roundKeys,
                                                              int rounds, const Byte* in, Byte* out,
                                                              std::size_t n) {
  __m128i k[15];
  if (n >= kLanes) {
    for (int r = 0; r <= rounds; ++r) k[r] = Load(roundKeys + 4 * r);
  }
  for (; n >= kLanes; n -= kLanes, in += 16 * kLanes, out += 16 * kLanes) {
    __m128i b[kLanes];
#pragma GCC unroll 8
    for (std::size_t i = 0; i < kLanes; ++i) b[i] = _mm_xor_si128(Load(in + 16 * i), k[0]);
    for (int r = 1; r < rounds; ++r) {
#pragma GCC unroll 8
      for (std::size_t i = 0; i < kLanes; ++i) b[i] = _mm_aesdec_si128(b[i], k[r]);
    }
#pragma GCC unroll 8
    for (std::size_t i = 0; i < kLanes; ++i) {
      Store(out + 16 * i, _mm_aesdeclast_si128(b[i], k[rounds]));
    }
  }
  // The last few blocks, or a single one: keys straight from the schedule.
  for (; n > 0; --n, in += 16, out += 16) {
    __m128i b = _mm_xor_si128(Load(in), Load(roundKeys));
    for (int r = 1; r < rounds; ++r) b = _mm_aesdec_si128(b, Load(roundKeys + 4 * r));
    Store(out, _mm_aesdeclast_si128(b, Load(roundKeys + 4 * rounds)));
  }
}

}  // namespace hostseal::cipher_backend

#endif
