// Provisional: UTF-8 only, until the code-page layer arrives.
#include "hostseal/text/code_page.hpp"

#include "hostseal/common/utf8.hpp"

namespace hostseal {

std::int32_t AnsiCodePage() {
  return 65001;
}

std::vector<Byte> TextToAnsiBytes(std::u16string_view text) {
  const std::string utf8 = ToUtf8(text);
  return {utf8.begin(), utf8.end()};
}

std::u16string AnsiBytesToText(std::span<const Byte> bytes) {
  return FromUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace hostseal
