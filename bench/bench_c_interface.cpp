// The C interface's cost: hostseal_cipher_encrypt and _decrypt of 16 KiB beside
// cRijndael::ArrayEncrypt and ArrayDecrypt on the same bytes and key, in the same run, each on
// the path this processor runs. bench/c_interface_ratio.py prints the ratios.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <vector>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/hostseal.h"

namespace {

using hostseal::Byte;
using hostseal::ByteArray;

constexpr std::size_t k16KiB = 16 << 10;
const std::vector<Byte> kKey(16, 0x2B);

void BM_CppArrayEncrypt(benchmark::State& state) {
  hostseal::cRijndael cipher;
  cipher.SetCipherKey(ByteArray(kKey), 128);
  const ByteArray plain(std::vector<Byte>(k16KiB, 7));
  ByteArray out;
  for (auto _ : state) {
    cipher.ArrayEncrypt(plain, out, 1);
    benchmark::DoNotOptimize(out.Bytes().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * k16KiB));
}
BENCHMARK(BM_CppArrayEncrypt);

void BM_CArrayEncrypt(benchmark::State& state) {
  hostseal_cipher* cipher = nullptr;
  if (hostseal_cipher_new(&cipher) != HOSTSEAL_OK ||
      hostseal_cipher_set_key(cipher, kKey.data(), kKey.size(), 128) != HOSTSEAL_OK) {
    state.SkipWithError("no cipher");
    hostseal_cipher_free(cipher);
    return;
  }
  const std::vector<Byte> plain(k16KiB, 7);
  std::vector<Byte> out(k16KiB + 16);
  for (auto _ : state) {
    std::size_t n = out.size();
    hostseal_cipher_encrypt(cipher, plain.data(), plain.size(), 1, out.data(), &n);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * k16KiB));
  hostseal_cipher_free(cipher);
}
BENCHMARK(BM_CArrayEncrypt);

void BM_CppArrayDecrypt(benchmark::State& state) {
  hostseal::cRijndael cipher;
  cipher.SetCipherKey(ByteArray(kKey), 128);
  ByteArray sealed;
  cipher.ArrayEncrypt(ByteArray(std::vector<Byte>(k16KiB, 7)), sealed, 1);
  ByteArray out;
  for (auto _ : state) {
    cipher.ArrayDecrypt(out, sealed, 1);
    benchmark::DoNotOptimize(out.Bytes().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * k16KiB));
}
BENCHMARK(BM_CppArrayDecrypt);

void BM_CArrayDecrypt(benchmark::State& state) {
  hostseal_cipher* cipher = nullptr;
  std::vector<Byte> sealed(k16KiB + 16);
  std::size_t n = sealed.size();
  const std::vector<Byte> plain(k16KiB, 7);
  if (hostseal_cipher_new(&cipher) != HOSTSEAL_OK ||
      hostseal_cipher_set_key(cipher, kKey.data(), kKey.size(), 128) != HOSTSEAL_OK ||
      hostseal_cipher_encrypt(cipher, plain.data(), plain.size(), 1, sealed.data(), &n) !=
          HOSTSEAL_OK) {
    state.SkipWithError("no cipher");
    hostseal_cipher_free(cipher);
    return;
  }
  std::vector<Byte> out(sealed.size());
  for (auto _ : state) {
    std::size_t m = out.size();
    hostseal_cipher_decrypt(cipher, sealed.data(), sealed.size(), 1, out.data(), &m);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * k16KiB));
  hostseal_cipher_free(cipher);
}
BENCHMARK(BM_CArrayDecrypt);

}  // namespace

BENCHMARK_MAIN();
