#include "hostseal/cipher/aes_vaes/aes_vaes_blocks.hpp"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <cstdint>

#include "hostseal/cipher/aes_ni/aes_ni_blocks.hpp"

namespace hostseal::cipher_backend {

namespace {

// Eight 256-bit registers of two blocks each: sixteen blocks in flight, which keeps both AES
// units of current cores busy without spilling (the keys are read from memory operands).
constexpr std::size_t kRegisters = 8;
constexpr std::size_t kGroup = 32 * kRegisters;  // bytes per iteration

__attribute__((target("aes,vaes,avx2"))) inline __m256i Load(const void* p) {
  return _mm256_loadu_si256(static_cast<const __m256i*>(p));
}

__attribute__((target("aes,vaes,avx2"))) inline void Store(void* p, __m256i v) {
  _mm256_storeu_si256(static_cast<__m256i*>(p), v);
}

// Below this many blocks the 128-bit path is as fast and needs no key broadcast.
constexpr std::size_t kFewBlocks = 8;

// From this size on, output goes around the cache (streaming stores): it is larger than a
// core's share of the cache and would only evict the input and the rest of the working set.
constexpr std::size_t kStreamingBytes = std::size_t{8} << 20;

__attribute__((target("aes,vaes,avx2"))) inline void StoreStreaming(void* p, __m256i v) {
  _mm256_stream_si256(static_cast<__m256i*>(p), v);
}

__attribute__((target("aes,vaes,avx2"))) inline void BroadcastKeys(const std::uint32_t* roundKeys,
                                                                   int rounds, __m256i* k) {
  for (int r = 0; r <= rounds; ++r) {
    k[r] = _mm256_broadcastsi128_si256(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(roundKeys + 4 * r)));
  }
}

}  // namespace

__attribute__((target("aes,vaes,avx2"))) void VaesEncryptBlocks(const std::uint32_t* roundKeys,
                                                                int rounds, const Byte* in,
                                                                Byte* out, std::size_t n) {
  if (n < kFewBlocks) {
    AesNiEncryptBlocks(roundKeys, rounds, in, out, n);
    return;
  }
  __m256i k[15];
  BroadcastKeys(roundKeys, rounds, k);
  std::size_t bytes = 16 * n;
  const bool streaming = bytes >= kStreamingBytes;
  if (streaming && (reinterpret_cast<std::uintptr_t>(out) & 31u) != 0) {
    AesNiEncryptBlocks(roundKeys, rounds, in, out, 1);  // aligns out to 32 when it is at 16
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
      for (std::size_t i = 0; i < kRegisters; ++i) b[i] = _mm256_aesenc_epi128(b[i], k[r]);
    }
    if (streaming && aligned) {
#pragma GCC unroll 8
      for (std::size_t i = 0; i < kRegisters; ++i) {
        StoreStreaming(out + 32 * i, _mm256_aesenclast_epi128(b[i], k[rounds]));
      }
    } else {
#pragma GCC unroll 8
      for (std::size_t i = 0; i < kRegisters; ++i) {
        Store(out + 32 * i, _mm256_aesenclast_epi128(b[i], k[rounds]));
      }
    }
  }
  if (streaming) _mm_sfence();  // streaming stores are ordered before anything that follows
  for (; bytes >= 32; bytes -= 32, in += 32, out += 32) {
    __m256i b = _mm256_xor_si256(Load(in), k[0]);
    for (int r = 1; r < rounds; ++r) b = _mm256_aesenc_epi128(b, k[r]);
    Store(out, _mm256_aesenclast_epi128(b, k[rounds]));
  }
  if (bytes != 0) AesNiEncryptBlocks(roundKeys, rounds, in, out, 1);
}

__attribute__((target("aes,vaes,avx2"))) void VaesDecryptBlocks(const std::uint32_t* roundKeys,
                                                                int rounds, const Byte* in,
                                                                Byte* out, std::size_t n) {
  if (n < kFewBlocks) {
    AesNiDecryptBlocks(roundKeys, rounds, in, out, n);
    return;
  }
  __m256i k[15];
  BroadcastKeys(roundKeys, rounds, k);
  std::size_t bytes = 16 * n;
  const bool streaming = bytes >= kStreamingBytes;
  if (streaming && (reinterpret_cast<std::uintptr_t>(out) & 31u) != 0) {
    AesNiDecryptBlocks(roundKeys, rounds, in, out, 1);  // aligns out to 32 when it is at 16
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
      for (std::size_t i = 0; i < kRegisters; ++i) b[i] = _mm256_aesdec_epi128(b[i], k[r]);
    }
    if (streaming && aligned) {
#pragma GCC unroll 8
      for (std::size_t i = 0; i < kRegisters; ++i) {
        StoreStreaming(out + 32 * i, _mm256_aesdeclast_epi128(b[i], k[rounds]));
      }
    } else {
#pragma GCC unroll 8
      for (std::size_t i = 0; i < kRegisters; ++i) {
        Store(out + 32 * i, _mm256_aesdeclast_epi128(b[i], k[rounds]));
      }
    }
  }
  if (streaming) _mm_sfence();  // streaming stores are ordered before anything that follows
  for (; bytes >= 32; bytes -= 32, in += 32, out += 32) {
    __m256i b = _mm256_xor_si256(Load(in), k[0]);
    for (int r = 1; r < rounds; ++r) b = _mm256_aesdec_epi128(b, k[r]);
    Store(out, _mm256_aesdeclast_epi128(b, k[rounds]));
  }
  if (bytes != 0) AesNiDecryptBlocks(roundKeys, rounds, in, out, 1);
}

}  // namespace hostseal::cipher_backend

#endif
