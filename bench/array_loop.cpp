// ArrayEncrypt of 16 KiB in a plain std::chrono loop, for builds without Google Benchmark (the
// Windows cross-build): the same program runs natively and under Wine, so the two figures
// compare the platforms. For each path this processor runs and for 128 and 256 bits it prints
// the best MB/s (10^6 bytes) of five rounds of about 0.2 s each.
//   hostseal_bench_array_loop [seconds-per-round]
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "hostseal/cipher/block_backend.hpp"
#include "hostseal/cipher/rijndael.hpp"

namespace {

using hostseal::Byte;
using hostseal::ByteArray;
using hostseal::cRijndael;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kSize = 16 << 10;
constexpr int kRounds = 5;

// The best throughput of kRounds rounds, each running whole calls for at least `seconds`.
double BestMegabytesPerSecond(const cRijndael& c, double seconds) {
  const ByteArray plain(std::vector<Byte>(kSize, 7));
  ByteArray cipher;  // reused from call to call, as a caller would
  double best = 0;
  for (int round = 0; round < kRounds; ++round) {
    long long calls = 0;
    const Clock::time_point start = Clock::now();
    std::chrono::duration<double> elapsed{};
    do {
      for (int i = 0; i < 64; ++i) c.ArrayEncrypt(plain, cipher, 0);
      calls += 64;
      elapsed = Clock::now() - start;
    } while (elapsed.count() < seconds);
    best = std::max(best, static_cast<double>(calls) * kSize / elapsed.count() / 1e6);
  }
  // Reading the output keeps the calls from being optimised away.
  if (cipher.Bytes().size() != kSize) std::fputs("unexpected output size\n", stderr);
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 0.2;
  if (!(seconds > 0)) {
    std::fputs("usage: hostseal_bench_array_loop [seconds-per-round]\n", stderr);
    return 2;
  }
  std::printf("%-9s %5s %10s\n", "path", "bits", "MB/s");
  for (const char* path : {"portable", "aes-ni", "vaes"}) {
    if (!hostseal::cipher_backend::Select(path)) {
      std::printf("%-9s %5s %10s\n", path, "-", "n/a");
      continue;
    }
    for (int bits : {128, 256}) {
      cRijndael c;
      c.SetCipherKey(ByteArray(std::vector<Byte>(32, 0x2B)), bits);
      std::printf("%-9s %5d %10.1f\n", path, bits, BestMegabytesPerSecond(c, seconds));
    }
  }
  return 0;
}
