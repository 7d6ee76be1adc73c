#include "hostseal/common/visible_text.hpp"

#include "hostseal/common/utf8.hpp"

namespace hostseal {

namespace {

bool IsControl(char16_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

void AppendCode(std::u16string& out, char16_t c) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  out += u"U+";
  for (int shift = 12; shift >= 0; shift -= 4) out += kDigits[(c >> shift) & 0xF];
}

}  // namespace

std::string VisibleText(std::u16string_view text) {
  std::u16string visible;
  visible.reserve(text.size());
  for (const char16_t c : text) {
    if (IsControl(c)) {
      AppendCode(visible, c);
    } else {
      visible += c;
    }
  }
  return ToUtf8(visible);
}

std::string VisibleText(std::string_view utf8) {
  return VisibleText(FromUtf8(utf8));
}

}  // namespace hostseal
