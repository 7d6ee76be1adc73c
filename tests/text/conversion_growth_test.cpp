// Every text conversion grows its output geometrically: sixteen times the input asks for at
// most about sixteen times the memory. Growing by a fixed step, or once for every piece of a
// streamed input, copies what was there on every step and asks for memory that grows with the
// square of the size. The time the same conversions take, and its fit to the input size, is
// in bench/bench_text.cpp. This program's operator new counts the bytes asked for.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "hostseal/cipher/hex_text.hpp"
#include "hostseal/text/code_page.hpp"

namespace {

std::atomic<std::size_t> g_Bytes{0};

}  // namespace

// operator new[] and the array forms of delete come here by default.
void* operator new(std::size_t size) {
  g_Bytes.fetch_add(size, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace hostseal {
namespace {

constexpr std::size_t kSmall = std::size_t{64} * 1024;

// The bytes asked for while `work` runs.
std::size_t BytesAskedFor(const std::function<void()>& work) {
  const std::size_t before = g_Bytes.load();
  work();
  return g_Bytes.load() - before;
}

// `make(size)` builds an input of about `size` units; `convert` converts it.
template <typename Input>
void ExpectLinear(const std::function<Input(std::size_t)>& make,
                  const std::function<void(const Input&)>& convert) {
  const Input small = make(kSmall);
  const Input large = make(16 * kSmall);
  convert(small);  // tables made on first use are not counted
  const std::size_t smallBytes = BytesAskedFor([&] { convert(small); });
  const std::size_t largeBytes = BytesAskedFor([&] { convert(large); });
  EXPECT_LE(largeBytes, 32 * smallBytes) << "small " << smallBytes << ", large " << largeBytes;
}

// `piece` over and over to `size` units.
std::u16string Repeat(std::u16string_view piece, std::size_t size) {
  std::u16string text;
  while (text.size() < size) text += piece;
  return text;
}

TEST(ConversionGrowth, CodePagesBothWaysWholeAndInPieces) {
  // ASCII between other characters: every run of them was once a separate step.
  const std::pair<std::int32_t, std::u16string_view> cases[] = {{936, u"a\u4E2D"},
                                                                {1252, u"a\u00E9"},
                                                                {65001, u"a\u00E9\u4E2D\U0001F600"},
                                                                {54936, u"a\u00E9"},
                                                                {20932, u"a\u3042"}};
  for (const auto& [page, piece] : cases) {
    SCOPED_TRACE(page);
    const auto toBytes = [&](const std::u16string& text) {
      EXPECT_FALSE(TextToCodePageBytes(text, page).empty());
      // In pieces too, as the text encryption converts it.
      std::vector<Byte> bytes;
      for (std::size_t at = 0; at < text.size(); at += 4096) {
        AppendCodePageBytes(std::u16string_view(text).substr(at, 4096), page, bytes);
      }
      EXPECT_FALSE(bytes.empty());
    };
    ExpectLinear<std::u16string>([&](std::size_t size) { return Repeat(piece, size); }, toBytes);
    ExpectLinear<std::vector<Byte>>(
        [&](std::size_t size) { return TextToCodePageBytes(Repeat(piece, size), page); },
        [&](const std::vector<Byte>& bytes) {
          const std::u16string whole = CodePageBytesToText(bytes, page);
          // The same bytes in pieces, as the streaming commands read them.
          std::u16string text;
          for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t size = std::min<std::size_t>(4096, bytes.size() - at);
            at += AppendCodePageText(std::span(bytes).subspan(at, size), page,
                                     at + size == bytes.size(), text);
          }
          EXPECT_TRUE(text == whole);
        });
  }
}

TEST(ConversionGrowth, HexTextBothWays) {
  ExpectLinear<std::vector<Byte>>(
      [](std::size_t size) { return std::vector<Byte>(size, 0xA5); },
      [](const std::vector<Byte>& bytes) { EXPECT_FALSE(BytesToHexText(bytes, 16).empty()); });
  // Digits with a character between every pair that is none.
  ExpectLinear<std::u16string>(
      [](std::size_t size) { return Repeat(u"A5\u4E2D", size); },
      [](const std::u16string& text) { EXPECT_FALSE(HexTextToBytes(text).empty()); });
  ExpectLinear<std::string>(
      [](std::size_t size) { return std::string(size, 'A') + "\xE4\xB8\xAD"; },
      [](const std::string& text) {
        std::vector<Byte> bytes;
        HexDigitReader().Read(text, bytes);
        EXPECT_FALSE(bytes.empty());
      });
}

}  // namespace
}  // namespace hostseal
