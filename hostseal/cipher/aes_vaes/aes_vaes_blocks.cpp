#include "hostseal/cipher/aes_vaes/aes_vaes_blocks.hpp"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <cstdint>

#include "hostseal/cipher/aes_ni/aes_ni_blocks.hpp"
#include "hostseal/common/secure_wipe.hpp"

#define HOSTSEAL_VAES __attribute__((target("aes,vaes,avx2")))

namespace hostseal::cipher_backend {

namespace {

// Eight 256-bit registers of two blocks each: sixteen blocks in flight, which keeps both AES
// units of current cores busy without spilling (the keys are read from memory operands).
constexpr std::size_t kRegisters = 8;
constexpr std::size_t kGroup = 32 * kRegisters;  // bytes per iteration

// Below this many blocks the 128-bit path is as fast and needs no key broadcast.
constexpr std::size_t kFewBlocks = 8;

// From this size on, output goes around the cache (streaming stores): it is larger than a
// core's share of the cache and would only evict the input and the rest of the working set.
constexpr std::size_t kStreamingBytes = std::size_t{8} << 20;

HOSTSEAL_VAES inline __m256i Load(const void* p) {
  return _mm256_loadu_si256(static_cast<const __m256i*>(p));
}

HOSTSEAL_VAES inline void Store(void* p, __m256i v) {
  _mm256_storeu_si256(static_cast<__m256i*>(p), v);
}

HOSTSEAL_VAES inline void StoreStreaming(void* p, __m256i v) {
  _mm256_stream_si256(static_cast<__m256i*>(p), v);
}

struct EncryptRounds {
  HOSTSEAL_VAES static __m256i Round(__m256i b, __m256i k) { return _mm256_aesenc_epi128(b, k); }
  HOSTSEAL_VAES static __m256i Last(__m256i b, __m256i k) { return _mm256_aesenclast_epi128(b, k); }
  static void Single(const std::uint32_t* roundKeys, int rounds, const Byte* in, Byte* out,
                     std::size_t n) {
    AesNiEncryptBlocks(roundKeys, rounds, in, out, n);
  }
};

struct DecryptRounds {
  HOSTSEAL_VAES static __m256i Round(__m256i b, __m256i k) { return _mm256_aesdec_epi128(b, k); }
  HOSTSEAL_VAES static __m256i Last(__m256i b, __m256i k) { return _mm256_aesdeclast_epi128(b, k); }
  static void Single(const std::uint32_t* roundKeys, int rounds, const Byte* in, Byte* out,
                     std::size_t n) {
    AesNiDecryptBlocks(roundKeys, rounds, in, out, n);
  }
};

// Both directions; only the round instructions and the 128-bit fallback differ.
template <typename Rounds>
HOSTSEAL_VAES void TransformBlocks(const std::uint32_t* roundKeys, int rounds, const Byte* in,
                                   Byte* out, std::size_t n) {
  if (n < kFewBlocks) {
    Rounds::Single(roundKeys, rounds, in, out, n);
    return;
  }
  __m256i k[15];
  for (int r = 0; r <= rounds; ++r) {
    k[r] = _mm256_broadcastsi128_si256(_mm_loadu_si128(
        reinterpret_cast<const __m128i*>(roundKeys + 4 * static_cast<std::size_t>(r))));
  }
  std::size_t bytes = 16 * n;
  const bool streaming = bytes >= kStreamingBytes;
  if (streaming && (reinterpret_cast<std::uintptr_t>(out) & 31u) != 0) {
    Rounds::Single(roundKeys, rounds, in, out, 1);  // aligns out to 32 when it is at 16
    in += 16;
    out += 16;
    bytes -= 16;
  }
  const bool aligned = (reinterpret_cast<std::uintptr_t>(out) & 31u) == 0;
  for (; bytes >= kGroup; bytes -= kGroup, in += kGroup, out += kGroup) {
    __m256i b[kRegisters];
#pragma GCC unroll 8
    for (std::size_t i = 0; i < kRegisters; ++i) b[i] = _mm256_xor_si256(Load(in + 32 * i), k[0]);
    for (int r = 1; r < rounds; ++r) {
#pragma GCC unroll 8
      for (std::size_t i = 0; i < kRegisters; ++i) b[i] = Rounds::Round(b[i], k[r]);
    }
    if (streaming && aligned) {
#pragma GCC unroll 8
      for (std::size_t i = 0; i < kRegisters; ++i) {
        StoreStreaming(out + 32 * i, Rounds::Last(b[i], k[rounds]));
      }
    } else {
#pragma GCC unroll 8
      for (std::size_t i = 0; i < kRegisters; ++i) {
        Store(out + 32 * i, Rounds::Last(b[i], k[rounds]));
      }
    }
  }
  if (streaming) _mm_sfence();  // streaming stores are ordered before anything that follows
  for (; bytes >= 32; bytes -= 32, in += 32, out += 32) {
    __m256i b = _mm256_xor_si256(Load(in), k[0]);
    for (int r = 1; r < rounds; ++r) b = Rounds::Round(b, k[r]);
    Store(out, Rounds::Last(b, k[rounds]));
  }
  if (bytes != 0) Rounds::Single(roundKeys, rounds, in, out, 1);
  SecureWipe(k, sizeof k);  // the stack copy of the round keys
  _mm256_zeroall();         // and the registers that held them
}

}  // namespace

void VaesEncryptBlocks(const std::uint32_t* roundKeys, int rounds, const Byte* in, Byte* out,
                       std::size_t n) {
  TransformBlocks<EncryptRounds>(roundKeys, rounds, in, out, n);
}

void VaesDecryptBlocks(const std::uint32_t* roundKeys, int rounds, const Byte* in, Byte* out,
                       std::size_t n) {
  TransformBlocks<DecryptRounds>(roundKeys, rounds, in, out, n);
}

}  // namespace hostseal::cipher_backend

#endif
