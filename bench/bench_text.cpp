// Text throughput over 16 MiB: the hexadecimal codec in both directions, the ANSI conversion
// of ASCII and of CJK text, and Encrypt and Decrypt of an ASCII text under code page 65001;
// and the time of code-page conversions against their size, with its fit.
// Rates count the binary bytes (the plain or cipher bytes, not the hex characters), the unit
// in which bench/text_vs_basenc.sh also measures basenc --base16.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "hostseal/cipher/hex_text.hpp"
#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/byte_array.hpp"
#include "hostseal/text/code_page.hpp"

namespace {

using hostseal::Byte;

constexpr std::size_t kSize = std::size_t{16} << 20;

const std::vector<Byte>& RandomBytes() {
  static const std::vector<Byte> bytes = [] {
    std::mt19937_64 rng(1);
    std::vector<Byte> out(kSize);
    for (Byte& b : out) b = static_cast<Byte>(rng());
    return out;
  }();
  return bytes;
}

const std::u16string& AsciiText() {
  static const std::u16string text = [] {
    std::u16string out(kSize, u' ');
    for (std::size_t i = 0; i < kSize; ++i) out[i] = static_cast<char16_t>(0x20 + i % 95);
    return out;
  }();
  return text;
}

void SetBytes(benchmark::State& state, std::size_t bytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(bytes));
}

// Data size in state.range(0).
void BM_BytesToHex(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const std::span<const Byte> bytes(RandomBytes().data(), size);
  for (auto _ : state) {
    std::u16string hex = hostseal::BytesToHexText(bytes, 16);
    benchmark::DoNotOptimize(hex.data());
  }
  SetBytes(state, size);
}
BENCHMARK(BM_BytesToHex)->Arg(1 << 20)->Arg(kSize);

// The floor under BytesToHex of large data: a fresh text of the same length, only allocated
// and written once. Above glibc's mmap threshold every such text comes as new pages from the
// kernel, and their page faults cost more than the digits themselves.
void BM_FreshHexText(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    std::u16string text(hostseal::HexTextLength(size, 16), u' ');
    benchmark::DoNotOptimize(text.data());
  }
  SetBytes(state, size);
}
BENCHMARK(BM_FreshHexText)->Arg(1 << 20)->Arg(kSize);

void BM_HexToBytes(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const std::u16string hex =
      hostseal::BytesToHexText(std::span<const Byte>(RandomBytes().data(), size), 16);
  for (auto _ : state) {
    std::vector<Byte> bytes = hostseal::HexTextToBytes(hex);
    benchmark::DoNotOptimize(bytes.data());
  }
  SetBytes(state, size);
}
BENCHMARK(BM_HexToBytes)->Arg(1 << 20)->Arg(kSize);

// Code page in state.range(0); ASCII text takes the fast path, CJK goes through iconv.
void BM_TextToAnsiBytes(benchmark::State& state) {
  const auto codePage = static_cast<std::int32_t>(state.range(0));
  const bool cjk = state.range(1) != 0;
  std::u16string text = AsciiText().substr(0, kSize / 16);
  if (cjk) {
    for (std::size_t i = 0; i < text.size(); ++i)
      text[i] = static_cast<char16_t>(0x4E00 + i % 5000);
  }
  for (auto _ : state) {
    std::vector<Byte> bytes = hostseal::TextToCodePageBytes(text, codePage);
    benchmark::DoNotOptimize(bytes.data());
  }
  SetBytes(state, text.size());
}
BENCHMARK(BM_TextToAnsiBytes)->Args({65001, 0})->Args({936, 0})->Args({65001, 1})->Args({936, 1});

void BM_EncryptAscii(benchmark::State& state) {
  hostseal::SetAnsiCodePage(65001);
  hostseal::cRijndael c;
  for (auto _ : state) {
    std::u16string hex = c.Encrypt(AsciiText());
    benchmark::DoNotOptimize(hex.data());
  }
  SetBytes(state, kSize);
}
BENCHMARK(BM_EncryptAscii)->Unit(benchmark::kMillisecond);

void BM_DecryptAscii(benchmark::State& state) {
  hostseal::SetAnsiCodePage(65001);
  hostseal::cRijndael c;
  const std::u16string hex = c.Encrypt(AsciiText());
  for (auto _ : state) {
    std::u16string text = c.Decrypt(hex);
    benchmark::DoNotOptimize(text.data());
  }
  SetBytes(state, kSize);
}
BENCHMARK(BM_DecryptAscii)->Unit(benchmark::kMillisecond);

// Time against size for mixed text (ASCII between other characters, as the code-page tests
// use) converted to a code page's bytes, back whole, and back in 4096-byte pieces as the
// streaming commands read them; the fit (BigO) should say N, not N^2.
void CodePageGrowth(benchmark::State& state, std::int32_t codePage, std::u16string_view piece) {
  std::u16string text;
  while (text.size() < static_cast<std::size_t>(state.range(0))) text += piece;
  const std::vector<Byte> bytes = hostseal::TextToCodePageBytes(text, codePage);
  for (auto _ : state) {
    std::vector<Byte> out = hostseal::TextToCodePageBytes(text, codePage);
    std::u16string whole = hostseal::CodePageBytesToText(bytes, codePage);
    std::u16string pieces;
    for (std::size_t at = 0; at < bytes.size();) {
      const std::size_t size = std::min<std::size_t>(4096, bytes.size() - at);
      at += hostseal::AppendCodePageText(std::span(bytes).subspan(at, size), codePage,
                                         at + size == bytes.size(), pieces);
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::DoNotOptimize(whole.data());
    benchmark::DoNotOptimize(pieces.data());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK_CAPTURE(CodePageGrowth, 936, 936, u"a\u4E2D")
    ->RangeMultiplier(4)
    ->Range(256 << 10, 4 << 20)
    ->Complexity(benchmark::oN);
BENCHMARK_CAPTURE(CodePageGrowth, 65001, 65001, u"a\u00E9\u4E2D\U0001F600")
    ->RangeMultiplier(4)
    ->Range(256 << 10, 4 << 20)
    ->Complexity(benchmark::oN);
BENCHMARK_CAPTURE(CodePageGrowth, 20932, 20932, u"a\u3042")
    ->RangeMultiplier(4)
    ->Range(256 << 10, 4 << 20)
    ->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
