#include "hostseal/text/code_page_map.hpp"

#include <bit>
#include <cerrno>
#include <map>
#include <memory>
#include <mutex>

#include "hostseal/text/iconv_descriptor.hpp"

namespace hostseal {

namespace {

constexpr const char* kNativeUtf16 =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

}  // namespace

CodePageMap::CodePageMap(const CodePageEntry& codePage) : m_Bytes(0x10000, kUnmapped) {
  const IconvDescriptor toBytes(codePage.iconvName, kNativeUtf16);
  const IconvDescriptor toText(kNativeUtf16, codePage.iconvName);

  for (std::uint32_t u = 0x80; u < 0x10000; ++u) {
    const auto unit = static_cast<char16_t>(u);
    if (u >= 0xD800 && u <= 0xDFFF) {
      m_Bytes[u] = kAskIconv;
      continue;
    }
    std::uint8_t out[8];
    const IconvStep c = toBytes.ConvertFromStart(&unit, sizeof unit, out, sizeof out);
    if (c.error != 0) continue;  // kUnmapped
    if (c.outUsed == 1) {
      m_Bytes[u] = out[0];
    } else if (c.outUsed == 2 && out[0] != 0 && !(out[0] == 0xFF && out[1] == 0xFF)) {
      m_Bytes[u] = static_cast<std::uint16_t>(out[0] << 8 | out[1]);
    } else {
      m_Bytes[u] = kAskIconv;
    }
  }

  for (std::uint32_t b = 0; b < 0x100; ++b) {
    const auto byte = static_cast<std::uint8_t>(b);
    char16_t out[4];
    const IconvStep c = toText.ConvertFromStart(&byte, 1, out, sizeof out);
    if (c.error == 0) {
      const bool oneUnit = c.outUsed == sizeof(char16_t) && out[0] < kInvalidPair;
      m_Lead[b] = oneUnit ? Lead::kUnit : Lead::kAskIconv;
      m_FirstUnit[b] = oneUnit ? out[0] : u'\0';
      continue;
    }
    if (c.error != EINVAL) {
      m_Lead[b] = Lead::kInvalid;
      continue;
    }
    m_Lead[b] = Lead::kDouble;
    m_FirstUnit[b] = static_cast<char16_t>(m_Pairs.size());
    std::array<std::uint16_t, 256>& row = m_Pairs.emplace_back();
    for (std::uint32_t s = 0; s < 0x100; ++s) {
      const std::uint8_t pair[2] = {byte, static_cast<std::uint8_t>(s)};
      const IconvStep p = toText.ConvertFromStart(pair, 2, out, sizeof out);
      if (p.error == 0 && p.outUsed == sizeof(char16_t) && out[0] < kInvalidPair) {
        row[s] = out[0];
      } else if (p.error == EILSEQ && p.inUsed == 0) {
        row[s] = kInvalidPair;
      } else {
        row[s] = kPairAskIconv;  // longer sequences, two units, or anything unexpected
      }
    }
  }
}

const CodePageMap& CodePageMap::Of(const CodePageEntry& codePage) {
  static std::mutex mutex;
  static std::map<std::int32_t, std::unique_ptr<const CodePageMap>> maps;
  const std::lock_guard lock(mutex);
  std::unique_ptr<const CodePageMap>& map = maps[codePage.number];
  if (!map) map = std::make_unique<const CodePageMap>(codePage);
  return *map;
}

}  // namespace hostseal
