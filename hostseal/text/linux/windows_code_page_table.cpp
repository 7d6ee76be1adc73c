#include "hostseal/text/linux/windows_code_page_table.hpp"

#include <algorithm>
#include <cstddef>
#include <span>
#include <stdexcept>

#include "hostseal/text/linux/windows_code_page_data.hpp"

namespace hostseal {

namespace {

constexpr std::size_t kLeadBitValues = 16;
constexpr std::size_t kCharacters = 0x10000;
constexpr std::uint16_t kCountMask = 0x3FFF;

// The run-length packing of scripts/make_code_page_tables.py: a control value (bits 15-14: 00
// values as they are, 01 one value repeated, 10 one value counting up; bits 13-0 how many) and
// its data.
std::vector<std::uint16_t> Unpack(std::span<const std::uint16_t> packed, std::size_t count) {
  std::vector<std::uint16_t> out;
  out.reserve(count);
  std::size_t i = 0;
  while (out.size() < count && i < packed.size()) {
    const unsigned control = packed[i] >> 14U;
    const std::size_t n = packed[i] & kCountMask;
    if (control == 0) {
      if (packed.size() - i - 1 < n) break;
      out.insert(out.end(), packed.begin() + static_cast<std::ptrdiff_t>(i + 1),
                 packed.begin() + static_cast<std::ptrdiff_t>(i + 1 + n));
      i += 1 + n;
    } else {
      if (i + 1 >= packed.size()) break;
      const unsigned step = control == 2 ? 1U : 0U;
      for (std::size_t k = 0; k < n; ++k) {
        out.push_back(static_cast<std::uint16_t>(packed[i + 1] + step * k));
      }
      i += 2;
    }
  }
  // The data is generated and checked when written; a mismatch is a build fault.
  if (out.size() != count) throw std::logic_error("a packed code-page table has a wrong size");
  return out;
}

}  // namespace

std::optional<WindowsCodePageTable> UnpackWindowsCodePage(std::int32_t number) {
  const auto tables = WindowsCodePageTables();
  const auto data = std::find_if(tables.begin(), tables.end(),
                                 [number](const auto& d) { return d.number == number; });
  if (data == tables.end()) return std::nullopt;
  const std::size_t rows = data->leadBytes;
  const std::vector<std::uint16_t> values =
      Unpack(data->packed, kLeadBitValues + 256 + rows * 256 + kCharacters);
  WindowsCodePageTable t;
  t.unicodeDefault = data->unicodeDefault;
  std::size_t row = 0;
  for (std::size_t b = 0; b < 256; ++b) {
    t.lead[b] = ((values[b / 16] >> (b % 16)) & 1U) != 0;
    t.single[b] = values[kLeadBitValues + b];
    if (t.lead[b]) t.leadRow[b] = static_cast<std::uint16_t>(row++);
  }
  const auto pairsBegin = values.begin() + static_cast<std::ptrdiff_t>(kLeadBitValues + 256);
  t.pairs.assign(pairsBegin, pairsBegin + static_cast<std::ptrdiff_t>(rows * 256));

  // Each character's bytes are stored as the difference from the bytes of the first sequence
  // that reads as it: single bytes first, then pairs in increasing order.
  constexpr std::uint32_t kNone = 0x10000;
  std::vector<std::uint32_t> first(kCharacters, kNone);
  for (std::size_t b = 0; b < 256; ++b) {
    if (!t.lead[b] && first[t.single[b]] == kNone)
      first[t.single[b]] = static_cast<std::uint32_t>(b);
  }
  for (std::size_t b = 0; b < 256; ++b) {
    if (!t.lead[b]) continue;
    for (std::size_t trail = 0; trail < 256; ++trail) {
      const std::uint16_t u = t.pairs[std::size_t{t.leadRow[b]} * 256 + trail];
      if (first[u] == kNone) first[u] = static_cast<std::uint32_t>(b << 8U | trail);
    }
  }
  t.bytesOf.resize(kCharacters);
  const std::size_t differences = kLeadBitValues + 256 + rows * 256;
  for (std::size_t u = 0; u < kCharacters; ++u) {
    const std::uint32_t base = first[u] == kNone ? data->defaultBytes : first[u];
    t.bytesOf[u] = static_cast<std::uint16_t>(base + values[differences + u]);
  }
  return t;
}

}  // namespace hostseal
