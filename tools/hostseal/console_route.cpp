#include "tools/hostseal/console_route.hpp"

namespace hostseal::cli {

StreamRoute ChooseStreamRoute(bool characterDevice, bool consoleMode) {
  return characterDevice && consoleMode ? StreamRoute::kConsole : StreamRoute::kBytes;
}

std::size_t CompleteUtf8Length(std::string_view bytes) {
  const std::size_t size = bytes.size();
  // The last lead byte among the final three, and whether its sequence is complete.
  for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
    const auto byte = static_cast<unsigned char>(bytes[size - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const std::size_t length = byte >= 0xF0 && byte <= 0xF4   ? 4
                               : byte >= 0xE0 && byte <= 0xEF ? 3
                               : byte >= 0xC2 && byte <= 0xDF ? 2
                                                              : 1;
    return length > back ? size - back : size;
  }
  return size;
}

}  // namespace hostseal::cli
