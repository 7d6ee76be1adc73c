#include "hostseal/hostinfo/ipv4_text.hpp"

namespace hostseal {

std::optional<Ipv4Address> ParseIpv4Text(std::u16string_view text) {
  Ipv4Address address{};
  std::size_t position = 0;
  for (std::size_t field = 0; field < address.size(); ++field) {
    if (field > 0) {
      if (position >= text.size() || text[position] != u'.') return std::nullopt;
      ++position;
    }
    const std::size_t start = position;
    unsigned value = 0;
    while (position < text.size() && text[position] >= u'0' && text[position] <= u'9') {
      if (position - start == 3) return std::nullopt;  // a fourth digit
      value = value * 10 + static_cast<unsigned>(text[position] - u'0');
      ++position;
    }
    const std::size_t digits = position - start;
    if (digits == 0 || value > 255) return std::nullopt;
    if (digits > 1 && text[start] == u'0') return std::nullopt;
    address[field] = static_cast<Byte>(value);
  }
  if (position != text.size()) return std::nullopt;
  return address;
}

std::u16string FormatIpv4Text(const Ipv4Address& address) {
  std::u16string text;
  for (std::size_t i = 0; i < address.size(); ++i) {
    if (i > 0) text += u'.';
    const unsigned value = address[i];
    if (value >= 100) text += static_cast<char16_t>(u'0' + value / 100);
    if (value >= 10) text += static_cast<char16_t>(u'0' + value / 10 % 10);
    text += static_cast<char16_t>(u'0' + value % 10);
  }
  return text;
}

}  // namespace hostseal
