// Cipher throughput: one block through BlockEncrypt, 1 MiB through ArrayEncrypt and
// ArrayDecrypt, and OpenSSL's AES-128-ECB over the same data in the same process.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <memory>
#include <vector>

#include "hostseal/cipher/rijndael.hpp"

namespace {

using hostseal::Byte;
using hostseal::ByteArray;
using hostseal::cRijndael;

constexpr std::size_t kMiB = 1 << 20;

cRijndael& KeyedCipher(int bits) {
  static cRijndael c;
  c.SetCipherKey(ByteArray(std::vector<Byte>(32, 0x2B)), bits);
  return c;
}

void BM_BlockEncrypt(benchmark::State& state) {
  const cRijndael& c = KeyedCipher(static_cast<int>(state.range(0)));
  ByteArray block(std::vector<Byte>(16, 1));
  for (auto _ : state) {
    c.BlockEncrypt(block, block, 0, 0);
    benchmark::DoNotOptimize(block.Bytes().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 16);
}
BENCHMARK(BM_BlockEncrypt)->Arg(128)->Arg(256);

void BM_ArrayEncrypt1MiB(benchmark::State& state) {
  const cRijndael& c = KeyedCipher(static_cast<int>(state.range(0)));
  const ByteArray plain(std::vector<Byte>(kMiB, 7));
  ByteArray cipher;
  for (auto _ : state) {
    c.ArrayEncrypt(plain, cipher, 1);
    benchmark::DoNotOptimize(cipher.Bytes().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kMiB));
}
BENCHMARK(BM_ArrayEncrypt1MiB)->Arg(128)->Arg(256);

void BM_ArrayDecrypt1MiB(benchmark::State& state) {
  const cRijndael& c = KeyedCipher(static_cast<int>(state.range(0)));
  ByteArray cipher;
  c.ArrayEncrypt(ByteArray(std::vector<Byte>(kMiB, 7)), cipher, 1);
  ByteArray plain;
  for (auto _ : state) {
    c.ArrayDecrypt(plain, cipher, 1);
    benchmark::DoNotOptimize(plain.Bytes().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kMiB));
}
BENCHMARK(BM_ArrayDecrypt1MiB)->Arg(128)->Arg(256);

// OpenSSL's AES-ECB over the same sizes: 16 bytes per call, and 1 MiB per call.
void BM_OpenSslEcb(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                      EVP_CIPHER_CTX_free);
  const std::vector<Byte> key(16, 0x2B);
  EVP_EncryptInit_ex(ctx.get(), EVP_aes_128_ecb(), nullptr, key.data(), nullptr);
  EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
  std::vector<Byte> in(size, 7);
  std::vector<Byte> out(size + 16);
  int written = 0;
  for (auto _ : state) {
    EVP_EncryptUpdate(ctx.get(), out.data(), &written, in.data(), static_cast<int>(size));
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_OpenSslEcb)->Arg(16)->Arg(static_cast<std::int64_t>(kMiB));

}  // namespace

BENCHMARK_MAIN();
