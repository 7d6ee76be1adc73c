#include "tools/console/windows/console_text.hpp"

#include <algorithm>
#include <string>

#include "hostseal/common/utf8.hpp"
#include "hostseal/common/utf8_codec.hpp"
#include "tools/console/console_route.hpp"

namespace hostseal::cli {

namespace {

// Consoles of older Windows versions refuse large writes; a pair of surrogates is never cut.
constexpr std::size_t kConsoleChunk = 8192;

}  // namespace

HANDLE StandardHandle(StandardStream stream) {
  const DWORD which = stream == StandardStream::kInput    ? STD_INPUT_HANDLE
                      : stream == StandardStream::kOutput ? STD_OUTPUT_HANDLE
                                                          : STD_ERROR_HANDLE;
  const HANDLE handle = ::GetStdHandle(which);
  return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

bool IsConsole(HANDLE handle) {
  if (handle == nullptr) return false;
  DWORD mode = 0;
  const bool characterDevice = ::GetFileType(handle) == FILE_TYPE_CHAR;
  return ChooseStreamRoute(characterDevice, characterDevice && ::GetConsoleMode(handle, &mode) !=
                                                                   0) == StreamRoute::kConsole;
}

bool WriteConsoleUtf8(HANDLE console, std::string_view utf8) {
  const std::u16string text = FromUtf8(utf8);
  std::size_t done = 0;
  while (done < text.size()) {
    std::size_t chunk = std::min(kConsoleChunk, text.size() - done);
    if (chunk > 1 && done + chunk < text.size() && IsHighSurrogate(text[done + chunk - 1])) --chunk;
    std::wstring wide(chunk, L'\0');
    for (std::size_t i = 0; i < chunk; ++i) wide[i] = static_cast<wchar_t>(text[done + i]);
    DWORD written = 0;
    if (::WriteConsoleW(console, wide.data(), static_cast<DWORD>(chunk), &written, nullptr) == 0 ||
        written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

bool WriteAllBytes(HANDLE handle, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (::WriteFile(handle, bytes.data(), chunk, &written, nullptr) == 0 || written == 0) {
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace hostseal::cli
