// Every text conversion takes time in proportion to its input: a 4 MiB input against a 256 KiB
// one of the same kind, sixteen times the size, in the same process. Linear work takes about
// 16 times as long; work that grows with the square of the size (such as filling the rest of
// the output after every run of non-ASCII characters) takes 256 times as long. The bound lies
// between the two with a margin of four either way, and each side counts the least processor
// time (not wall time) of several runs, so a loaded machine cannot make it fail. No counter
// inside the standard containers can see a zero-fill, so processor time is what is compared.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "hostseal/cipher/hex_text.hpp"
#include "hostseal/text/code_page.hpp"

namespace hostseal {
namespace {

constexpr std::size_t kSmall = std::size_t{256} * 1024;
constexpr std::size_t kLarge = 16 * kSmall;
constexpr double kBound = 64;

// The least processor time in seconds of `runs` calls.
double LeastTime(int runs, const std::function<void()>& work) {
  double least = 1e9;
  for (int i = 0; i < runs; ++i) {
    const std::clock_t start = std::clock();
    work();
    least = std::min(least, static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
  }
  return least;
}

// `make(size)` builds an input of about `size` units; `convert` converts it.
template <typename Input>
void ExpectLinear(const std::function<Input(std::size_t)>& make,
                  const std::function<void(const Input&)>& convert) {
  const Input small = make(kSmall);
  const Input large = make(kLarge);
  const double smallTime = LeastTime(5, [&] { convert(small); });
  const double largeTime = LeastTime(3, [&] { convert(large); });
  // A floor of 4 ms for the small side: below it, the large side's fresh pages and cache
  // misses weigh more than the work, the more so beside another test on a busy machine
  // (256 ms still leaves a square-growing 4 MiB, seconds long, far behind).
  EXPECT_LE(largeTime, kBound * std::max(smallTime, 4e-3))
      << "small " << smallTime << " s, large " << largeTime << " s";
}

// `piece` over and over to `size` units.
std::u16string Repeat(std::u16string_view piece, std::size_t size) {
  std::u16string text;
  while (text.size() < size) text += piece;
  return text;
}

TEST(ConversionGrowth, CodePagesBothWays) {
  // ASCII between other characters: every run of them was once a separate step.
  const std::pair<std::int32_t, std::u16string_view> cases[] = {{936, u"a\u4E2D"},
                                                                {1252, u"a\u00E9"},
                                                                {65001, u"a\u00E9\u4E2D\U0001F600"},
                                                                {54936, u"a\u00E9"},
                                                                {20932, u"a\u3042"}};
  for (const auto& pageAndPiece : cases) {
    const std::int32_t page = pageAndPiece.first;
    const std::u16string_view piece = pageAndPiece.second;
    SCOPED_TRACE(page);
    ExpectLinear<std::u16string>(
        [&](std::size_t size) { return Repeat(piece, size); },
        [&](const std::u16string& text) { EXPECT_FALSE(TextToCodePageBytes(text, page).empty()); });
    ExpectLinear<std::vector<Byte>>(
        [&](std::size_t size) { return TextToCodePageBytes(Repeat(piece, size), page); },
        [&](const std::vector<Byte>& bytes) {
          EXPECT_FALSE(CodePageBytesToText(bytes, page).empty());
          // The same bytes in pieces, as the streaming commands read them.
          std::u16string text;
          for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t size = std::min<std::size_t>(4096, bytes.size() - at);
            at += AppendCodePageText(std::span(bytes).subspan(at, size), page,
                                     at + size == bytes.size(), text);
          }
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
