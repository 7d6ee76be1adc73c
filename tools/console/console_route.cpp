#include "tools/console/console_route.hpp"

#include "hostseal/common/utf8_codec.hpp"

namespace hostseal::cli {

StreamRoute ChooseStreamRoute(bool characterDevice, bool consoleMode) {
  return characterDevice && consoleMode ? StreamRoute::kConsole : StreamRoute::kBytes;
}

std::size_t CompleteUtf8Length(std::string_view bytes) {
  const std::size_t size = bytes.size();
  // The last lead byte among the final three, and whether its sequence is cut off.
  for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
    const auto byte = static_cast<unsigned char>(bytes[size - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const Utf8Character character = DecodeUtf8Character(bytes.data() + size - back, back);
    return character.form == Utf8Form::kCutOff ? size - back : size;
  }
  return size;
}

}  // namespace hostseal::cli
