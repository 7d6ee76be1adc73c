#include "hostseal/hostinfo/mac_text.hpp"

#include <algorithm>

namespace hostseal {

std::optional<std::u16string> FormatMacReply(std::span<const Byte> reply) {
  if (reply.empty()) return std::nullopt;
  const auto head = reply.first(std::min<std::size_t>(reply.size(), 4));
  if (std::all_of(head.begin(), head.end(), [](Byte b) { return b == 0; })) return std::nullopt;

  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string text;
  for (std::size_t i = 0; i < reply.size(); ++i) {
    if (i > 0) text += u'-';
    const Byte b = reply[i];
    if (b == 0) {
      text += u"00";
      continue;
    }
    if (b >= 0x10) text += kDigits[b >> 4];
    text += kDigits[b & 0x0F];
  }
  return text;
}

}  // namespace hostseal
