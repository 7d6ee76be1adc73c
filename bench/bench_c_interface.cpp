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
const std::vector<Byte> kPlain(k16KiB, 7);

// Encrypts 16 KiB with the length field, or decrypts what that gives.
void BM_CppArray(benchmark::State& state, bool encrypt) {
  hostseal::cRijndael cipher;
  cipher.SetCipherKey(ByteArray(kKey), 128);
  const ByteArray plain(kPlain);
  ByteArray sealed;
  cipher.ArrayEncrypt(plain, sealed, 1);
  ByteArray out;
  for (auto _ : state) {
    if (encrypt) {
      cipher.ArrayEncrypt(plain, out, 1);
    } else {
      cipher.ArrayDecrypt(out, sealed, 1);
    }
    benchmark::DoNotOptimize(out.Bytes().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * k16KiB));
}

void BM_CArray(benchmark::State& state, bool encrypt) {
  hostseal_cipher* cipher = nullptr;
  std::vector<Byte> sealed(k16KiB + 16);
  std::size_t n = sealed.size();
  if (hostseal_cipher_new(&cipher) != HOSTSEAL_OK ||
      hostseal_cipher_set_key(cipher, kKey.data(), kKey.size(), 128) != HOSTSEAL_OK ||
      hostseal_cipher_encrypt(cipher, kPlain.data(), kPlain.size(), 1, sealed.data(), &n) !=
          HOSTSEAL_OK) {
    state.SkipWithError("no cipher");
    hostseal_cipher_free(cipher);
    return;
  }
  std::vector<Byte> out(sealed.size());
  for (auto _ : state) {
    std::size_t m = out.size();
    if (encrypt) {
      hostseal_cipher_encrypt(cipher, kPlain.data(), kPlain.size(), 1, out.data(), &m);
    } else {
      hostseal_cipher_decrypt(cipher, sealed.data(), sealed.size(), 1, out.data(), &m);
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * k16KiB));
  hostseal_cipher_free(cipher);
}

BENCHMARK_CAPTURE(BM_CppArray, Encrypt, true);
BENCHMARK_CAPTURE(BM_CArray, Encrypt, true);
BENCHMARK_CAPTURE(BM_CppArray, Decrypt, false);
BENCHMARK_CAPTURE(BM_CArray, Decrypt, false);

}  // namespace

BENCHMARK_MAIN();
