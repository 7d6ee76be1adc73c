// Cipher throughput beside OpenSSL's EVP AES-ECB on the same buffers, in the same process:
// one block, ArrayEncrypt/ArrayDecrypt at 16 KiB and 64 MiB for 128 and 256 bits on each path
// this processor runs, key setting, and memcpy of 64 MiB as the memory bound. OpenSSL's own
// path follows OPENSSL_ia32cap (0: its portable code), read when libcrypto starts.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "hostseal/cipher/block_backend.hpp"
#include "hostseal/cipher/rijndael.hpp"

namespace {

using hostseal::Byte;
using hostseal::ByteArray;
using hostseal::cRijndael;

constexpr std::int64_t k16KiB = 16 << 10;
constexpr std::int64_t k64MiB = 64 << 20;
const char* const kPaths[] = {"portable", "aes-ni", "vaes"};

// Selects the path of argument `index`; false (and the benchmark skipped) when unavailable.
bool UsePath(benchmark::State& state, std::int64_t index) {
  const char* path = kPaths[index];
  if (!hostseal::cipher_backend::Select(path)) {
    state.SkipWithError("path not available on this processor");
    return false;
  }
  state.SetLabel(path);
  return true;
}

cRijndael& KeyedCipher(std::int64_t bits) {
  static cRijndael c;
  c.SetCipherKey(ByteArray(std::vector<Byte>(32, 0x2B)), static_cast<std::int32_t>(bits));
  return c;
}

// Args: path, bits.
void BM_BlockEncrypt(benchmark::State& state) {
  if (!UsePath(state, state.range(0))) return;
  const cRijndael& c = KeyedCipher(state.range(1));
  const ByteArray block(std::vector<Byte>(16, 1));
  ByteArray out(std::vector<Byte>(16));
  for (auto _ : state) {
    c.BlockEncrypt(block, out, 0, 0);
    benchmark::DoNotOptimize(out.Bytes().data());
  }
  state.SetBytesProcessed(state.iterations() * 16);
}
BENCHMARK(BM_BlockEncrypt)->ArgsProduct({{0, 1, 2}, {128, 256}});

// Args: path, bits, size. The output array is reused from call to call, as a caller would.
void BM_ArrayEncrypt(benchmark::State& state) {
  if (!UsePath(state, state.range(0))) return;
  const cRijndael& c = KeyedCipher(state.range(1));
  const ByteArray plain(std::vector<Byte>(static_cast<std::size_t>(state.range(2)), 7));
  ByteArray cipher;
  for (auto _ : state) {
    c.ArrayEncrypt(plain, cipher, 0);
    benchmark::DoNotOptimize(cipher.Bytes().data());
  }
  state.SetBytesProcessed(state.iterations() * state.range(2));
}
BENCHMARK(BM_ArrayEncrypt)->ArgsProduct({{0, 1, 2}, {128, 256}, {k16KiB, k64MiB}});

void BM_ArrayDecrypt(benchmark::State& state) {
  if (!UsePath(state, state.range(0))) return;
  const cRijndael& c = KeyedCipher(state.range(1));
  ByteArray cipher;
  c.ArrayEncrypt(ByteArray(std::vector<Byte>(static_cast<std::size_t>(state.range(2)), 7)), cipher,
                 0);
  ByteArray plain;
  for (auto _ : state) {
    c.ArrayDecrypt(plain, cipher, 0);
    benchmark::DoNotOptimize(plain.Bytes().data());
  }
  state.SetBytesProcessed(state.iterations() * state.range(2));
}
BENCHMARK(BM_ArrayDecrypt)->ArgsProduct({{0, 1, 2}, {128, 256}, {k16KiB, k64MiB}});

void BM_SetCipherKey(benchmark::State& state) {
  cRijndael c;
  const ByteArray key(std::vector<Byte>(32, 0x11));
  for (auto _ : state) {
    c.SetCipherKey(key, static_cast<std::int32_t>(state.range(0)));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SetCipherKey)->Arg(128)->Arg(256);

// OpenSSL's AES-ECB. Args: bits, size (16 bytes per call for the single block).
void BM_OpenSslEcb(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(1));
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                      EVP_CIPHER_CTX_free);
  const std::vector<Byte> key(32, 0x2B);
  EVP_EncryptInit_ex(ctx.get(), state.range(0) == 128 ? EVP_aes_128_ecb() : EVP_aes_256_ecb(),
                     nullptr, key.data(), nullptr);
  EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
  std::vector<Byte> in(size, 7);
  std::vector<Byte> out(size + 16);
  int written = 0;
  for (auto _ : state) {
    EVP_EncryptUpdate(ctx.get(), out.data(), &written, in.data(), static_cast<int>(size));
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() * state.range(1));
}
BENCHMARK(BM_OpenSslEcb)->ArgsProduct({{128, 256}, {16, k16KiB, k64MiB}});

// One read and one write of 64 MiB: the memory bound of a transformation out of place.
void BM_Memcpy(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  std::vector<Byte> in(size, 7);
  std::vector<Byte> out(size);
  for (auto _ : state) {
    std::memcpy(out.data(), in.data(), size);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Memcpy)->Arg(k16KiB)->Arg(k64MiB);

}  // namespace

BENCHMARK_MAIN();
