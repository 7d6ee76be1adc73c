#include "hostseal/text/linux/code_page_map.hpp"

#include <bit>
#include <cerrno>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

#include "hostseal/common/secure_wipe.hpp"
#include "hostseal/text/linux/windows_code_page_table.hpp"

namespace hostseal {

namespace {

constexpr const char* kNativeUtf16 =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// A vector wiped before it is freed: the characters being looked up may be a pass phrase's.
template <typename T>
class WipedVector {
 public:
  explicit WipedVector(std::size_t size) : m_Items(size) {}
  WipedVector(const WipedVector&) = delete;
  WipedVector& operator=(const WipedVector&) = delete;
  ~WipedVector() { SecureWipe(m_Items.data(), m_Items.capacity() * sizeof(T)); }
  std::vector<T>& operator*() { return m_Items; }
  std::vector<T>* operator->() { return &m_Items; }

 private:
  std::vector<T> m_Items;
};

// Converts `in`, entries of `stride` input units each ending in a zero, through `cd` in as few
// calls as it can, and returns false when it cannot tell the entries' results apart. An entry
// that iconv refuses is marked in `refused` and skipped. Every entry's result, a run of output
// units without a zero, is handed to `take` in order (an empty one for a refused entry).
template <typename In, typename Out, typename Take>
bool ConvertSeparated(const IconvDescriptor& cd, const std::vector<In>& in, std::size_t stride,
                      std::vector<Out>& out, Take take) {
  const std::size_t count = in.size() / stride;
  std::vector<bool> refused(count, false);
  std::size_t pos = 0;  // input units taken
  std::size_t written = 0;
  cd.Reset();
  while (pos < in.size()) {
    // iconv never writes through its input pointer; the cast only meets its signature.
    char* inPtr = const_cast<char*>(reinterpret_cast<const char*>(in.data() + pos));
    std::size_t inLeft = (in.size() - pos) * sizeof(In);
    char* outPtr = reinterpret_cast<char*>(out.data() + written);
    std::size_t outLeft = (out.size() - written) * sizeof(Out);
    const std::size_t result = iconv(cd.Get(), &inPtr, &inLeft, &outPtr, &outLeft);
    const int error = errno;
    if (inLeft % sizeof(In) != 0 || outLeft % sizeof(Out) != 0) return false;
    pos = in.size() - inLeft / sizeof(In);
    written = out.size() - outLeft / sizeof(Out);
    if (result != static_cast<std::size_t>(-1)) break;
    if ((error != EILSEQ && error != EINVAL) || pos % stride != 0) return false;
    refused[pos / stride] = true;
    pos += stride;
    cd.Reset();
  }
  std::size_t at = 0;
  for (std::size_t k = 0; k < count; ++k) {
    if (refused[k]) {
      take(k, nullptr, 0);
      continue;
    }
    std::size_t end = at;
    while (end < written && out[end] != 0) ++end;
    if (end == written) return false;  // fewer results than entries
    take(k, out.data() + at, end - at);
    at = end + 1;
  }
  return at == written;
}

// How far a batch reads ahead: on while the entries not yet read are dense enough (at least
// kDense in the last kStretch units) that reading ahead costs less than meeting them one at a
// time later, and never to more than kMost entries.
class ReadAhead {
 public:
  bool GoOn(std::size_t position, std::size_t entries) {
    if (entries >= kMost) return false;
    if (position < m_StretchEnd) return true;
    const bool dense = entries - m_EntriesBefore >= kDense;
    m_EntriesBefore = entries;
    m_StretchEnd = position + kStretch;
    return dense;
  }

 private:
  static constexpr std::size_t kStretch = 512;
  static constexpr std::size_t kDense = 2;
  static constexpr std::size_t kMost = 16384;
  std::size_t m_StretchEnd = kStretch;
  std::size_t m_EntriesBefore = 0;
};

}  // namespace

CodePageMap::CodePageMap(const CodePageEntry& codePage)
    : m_Bytes(static_cast<std::uint16_t*>(std::calloc(0x10000, sizeof(std::uint16_t)))) {
  if (!m_Bytes) throw std::bad_alloc();
  if (!FillFromWindowsTable(codePage.number)) ReadLeadsThroughIconv(codePage);
}

bool CodePageMap::FillFromWindowsTable(std::int32_t number) {
  const std::optional<WindowsCodePageTable> table = UnpackWindowsCodePage(number);
  if (!table) return false;
  std::size_t rows = 0;
  for (std::size_t b = 0x80; b < 0x100; ++b) {
    if (table->lead[b]) {
      m_Lead[b] = Lead::kDouble;
      m_FirstUnit[b] = static_cast<char16_t>(rows++);
    } else {
      m_Lead[b] = Lead::kUnit;
      m_FirstUnit[b] = static_cast<char16_t>(table->single[b]);
    }
  }
  m_Pairs.reset(static_cast<std::uint16_t*>(std::calloc(rows * 256 + 1, sizeof(std::uint16_t))));
  if (!m_Pairs) throw std::bad_alloc();
  for (std::size_t b = 0x80; b < 0x100; ++b) {
    if (!table->lead[b]) continue;
    const std::uint16_t* row = table->pairs.data() + std::size_t{table->leadRow[b]} * 256;
    for (std::size_t trail = 0; trail < 256; ++trail) {
      // A zero byte is never a trail byte: the lead byte then stands alone.
      StorePair(static_cast<Byte>(b), static_cast<Byte>(trail),
                trail == 0 ? kInvalidPair : row[trail]);
    }
  }
  for (std::size_t unit = 0x80; unit < 0x10000; ++unit) {
    StoreBytes(static_cast<char16_t>(unit), table->bytesOf[unit]);
  }
  m_LoneLead = static_cast<char16_t>(table->unicodeDefault);
  return true;
}

void CodePageMap::ReadLeadsThroughIconv(const CodePageEntry& codePage) {
  m_UsesIconv = true;
  const IconvDescriptor toText(kNativeUtf16, codePage.iconvName);
  std::size_t rows = 0;
  for (std::uint32_t b = 0x80; b < 0x100; ++b) {
    const auto byte = static_cast<Byte>(b);
    char16_t out[4];
    const IconvStep c = toText.ConvertFromStart(&byte, 1, out, sizeof out);
    if (c.error == 0) {
      const bool oneUnit = c.outUsed == sizeof(char16_t) && out[0] < kInvalidPair;
      m_Lead[b] = oneUnit ? Lead::kUnit : Lead::kAskIconv;
      m_FirstUnit[b] = oneUnit ? out[0] : u'\0';
    } else if (c.error == EINVAL) {
      m_Lead[b] = Lead::kDouble;
      m_FirstUnit[b] = static_cast<char16_t>(rows++);
    } else {
      m_Lead[b] = Lead::kInvalid;
    }
  }
  m_Pairs.reset(static_cast<std::uint16_t*>(std::calloc(rows * 256 + 1, sizeof(std::uint16_t))));
  if (!m_Pairs) throw std::bad_alloc();
}

void CodePageMap::ResolveBytesOneByOne(std::span<const char16_t> units,
                                       const IconvDescriptor& toBytes) const {
  for (const char16_t unit : units) {
    Byte out[8];
    const IconvStep c = toBytes.ConvertFromStart(&unit, sizeof unit, out, sizeof out);
    std::uint16_t entry = kAskIconv;
    if (c.error != 0) {
      entry = kUnmapped;
    } else if (c.outUsed == 1 && out[0] != 0) {
      entry = out[0];
    } else if (c.outUsed == 2 && out[0] != 0 && (out[0] << 8 | out[1]) < kPendingBytes) {
      entry = static_cast<std::uint16_t>(out[0] << 8 | out[1]);
    }
    SecureWipe(out, sizeof out);
    StoreBytes(unit, entry);
  }
}

void CodePageMap::ResolveBytes(std::u16string_view text, const IconvDescriptor& toBytes) const {
  WipedVector<char16_t> in(0);
  in->reserve(1024);
  ReadAhead readAhead;
  for (std::size_t i = 0; i < text.size() && readAhead.GoOn(i, in->size() / 2); ++i) {
    const char16_t c = text[i];
    if (c < 0x80 || BytesOf(c) != kUnknownBytes) continue;
    if (c >= 0xD800 && c <= 0xDFFF) {
      StoreBytes(c, kAskIconv);  // a surrogate pair goes to iconv as one character
    } else {
      StoreBytes(c, kPendingBytes);
      in->push_back(c);
      in->push_back(u'\0');
    }
  }
  if (in->empty()) return;
  // Four bytes a unit at most, and its zero.
  WipedVector<Byte> out(in->size() / 2 * 5);
  const bool separated = ConvertSeparated(
      toBytes, *in, 2, *out, [&](std::size_t k, const Byte* bytes, std::size_t size) {
        std::uint16_t entry = kAskIconv;
        if (bytes == nullptr) {
          entry = kUnmapped;
        } else if (size == 1) {
          entry = bytes[0];
        } else if (size == 2 && (bytes[0] << 8 | bytes[1]) < kPendingBytes) {
          entry = static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
        }
        StoreBytes((*in)[2 * k], entry);
      });
  if (!separated) {
    std::vector<char16_t> units;
    units.reserve(in->size() / 2);
    for (std::size_t k = 0; k < in->size(); k += 2) units.push_back((*in)[k]);
    ResolveBytesOneByOne(units, toBytes);
    SecureWipe(units.data(), units.size() * sizeof(char16_t));
  }
}

void CodePageMap::ResolvePairsOneByOne(std::span<const std::array<Byte, 2>> pairs,
                                       const IconvDescriptor& toText) const {
  for (const auto& pair : pairs) {
    char16_t out[4];
    const IconvStep p = toText.ConvertFromStart(pair.data(), 2, out, sizeof out);
    std::uint16_t entry = kPairAskIconv;
    if (p.error == 0 && p.outUsed == sizeof(char16_t) && out[0] != 0 && out[0] < kPendingPair) {
      entry = out[0];
    } else if (p.error == EILSEQ && p.inUsed == 0) {
      entry = kInvalidPair;
    }
    SecureWipe(out, sizeof out);
    StorePair(pair[0], pair[1], entry);
  }
}

void CodePageMap::ResolvePairs(std::span<const Byte> bytes, const IconvDescriptor& toText) const {
  // The pairs the text would look up; a lead whose pair turns out invalid makes the next byte
  // the start of a character instead, which only means an entry more or less read here.
  WipedVector<Byte> in(0);
  in->reserve(1536);
  ReadAhead readAhead;
  for (std::size_t i = 0; i + 1 < bytes.size() && readAhead.GoOn(i, in->size() / 3); ++i) {
    if (bytes[i] < 0x80 || m_Lead[bytes[i]] != Lead::kDouble) continue;
    if (SecondUnit(bytes[i], bytes[i + 1]) == kUnknownPair) {
      StorePair(bytes[i], bytes[i + 1], kPendingPair);
      in->push_back(bytes[i]);
      in->push_back(bytes[i + 1]);
      in->push_back(0);
    }
    ++i;
  }
  if (in->empty()) return;
  // Refused pairs are invalid or the start of a longer sequence: asked one by one.
  std::vector<std::array<Byte, 2>> refused;
  refused.reserve(in->size() / 3);
  WipedVector<char16_t> out(in->size());  // at most two units a pair, and its zero
  const bool separated = ConvertSeparated(
      toText, *in, 3, *out, [&](std::size_t k, const char16_t* units, std::size_t size) {
        const Byte lead = (*in)[3 * k];
        const Byte second = (*in)[3 * k + 1];
        if (units == nullptr) {
          refused.push_back({lead, second});
          return;
        }
        const bool oneUnit = size == 1 && units[0] < kPendingPair;  // never 0 here
        StorePair(lead, second, oneUnit ? units[0] : kPairAskIconv);
      });
  if (!separated) {
    refused.clear();
    for (std::size_t k = 0; k < in->size(); k += 3) refused.push_back({(*in)[k], (*in)[k + 1]});
  }
  ResolvePairsOneByOne(refused, toText);
  SecureWipe(refused.data(), refused.size() * 2);
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
