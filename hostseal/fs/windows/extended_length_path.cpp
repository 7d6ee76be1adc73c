#include "hostseal/fs/windows/extended_length_path.hpp"

#include <windows.h>

#include <string_view>

namespace hostseal {

namespace {

constexpr std::wstring_view kExtended = LR"(\\?\)";
constexpr std::wstring_view kDevice = LR"(\\.\)";
constexpr std::wstring_view kUnc = LR"(\\)";

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool IsPrefixed(std::wstring_view name) {
  return StartsWith(name, kExtended) || StartsWith(name, kDevice);
}

}  // namespace

std::wstring ExtendedLengthPath(const std::filesystem::path& path) {
  const std::wstring& name = path.native();
  if (name.empty() || IsPrefixed(name)) return name;
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return name;
    if (length < full.size()) {
      full.resize(length);
      break;
    }
    full.resize(length);  // the size asked for counts the final null
  }
  if (IsPrefixed(full)) return full;  // a device: NUL, CON, COM1
  if (StartsWith(full, kUnc)) return std::wstring(kExtended) + L"UNC\\" + full.substr(kUnc.size());
  if (full.size() >= 2 && full[1] == L':') return std::wstring(kExtended) + full;
  return full;
}

}  // namespace hostseal
