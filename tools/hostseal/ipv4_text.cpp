#include "tools/hostseal/ipv4_text.hpp"

#include <string>

#include "hostseal/common/visible_text.hpp"

namespace hostseal::cli {

bool IsDottedDecimalIPv4(std::string_view text) {
  int fields = 0;
  std::size_t i = 0;
  for (;;) {
    const std::size_t start = i;
    int value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 3) {
      value = value * 10 + (text[i] - '0');
      ++i;
    }
    const std::size_t digits = i - start;
    if (digits == 0 || value > 255 || (digits > 1 && text[start] == '0')) return false;
    ++fields;
    if (fields == 4) return i == text.size();
    if (i >= text.size() || text[i] != '.') return false;
    ++i;
  }
}

CLI::Validator DottedDecimalIPv4() {
  return CLI::Validator(
      [](std::string& text) {
        return IsDottedDecimalIPv4(text)
                   ? std::string()
                   : "\"" + VisibleText(text) +
                         "\" is not a dotted-decimal IPv4 address such as 192.168.1.20";
      },
      "IPV4");
}

}  // namespace hostseal::cli
