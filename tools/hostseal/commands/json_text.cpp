#include "tools/hostseal/commands/json_text.hpp"

namespace hostseal::cli {

std::string JsonString(std::string_view utf8) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(utf8.size() + 2);
  out += '"';
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      out += "\\u00";
      out += kDigits[byte >> 4];
      out += kDigits[byte & 0xF];
    } else {
      out += c;
    }
  }
  out += '"';
  return out;
}

}  // namespace hostseal::cli
