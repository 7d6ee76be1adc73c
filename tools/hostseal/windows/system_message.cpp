#include "tools/hostseal/windows/system_message.hpp"

#include <string>

#include "hostseal/common/utf8.hpp"

namespace hostseal::cli {

std::string SystemMessage(DWORD error) {
  wchar_t text[512];
  const DWORD n =
      ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, 512, nullptr);
  std::u16string message;
  for (DWORD i = 0; i < n; ++i) message += static_cast<char16_t>(text[i]);
  while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' ||
                              message.back() == u' ' || message.back() == u'.')) {
    message.pop_back();
  }
  if (message.empty()) return "error " + std::to_string(error);
  return ToUtf8(message);
}

}  // namespace hostseal::cli
