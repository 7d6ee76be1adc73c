// TakeSecretVariable on Windows. The value is read as UTF-16 from the process environment
// (GetEnvironmentVariableW: the C runtime's getenv would give it in the ANSI code page). Then
// every entry of the name goes: the C runtime's copies (narrow, and wide when the runtime has
// made them) are wiped where they stand and removed, and the process environment loses the
// name until it no longer has it. Names are compared as Windows compares them, ignoring case.
//
// What stays: the system may keep removed text in the environment block's memory until it is
// reused, and the environment the process was started with was readable by programs of the
// same user until this point, as /proc/PID/environ is on Linux.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string>

#include "hostseal/common/secure_wipe.hpp"
#include "hostseal/common/utf8_codec.hpp"
#include "tools/hostseal/secrets/key_sources.hpp"

namespace hostseal::cli {

namespace {

// More entries of one name than any environment holds; bounds the removal loops.
constexpr int kMostEntries = 4096;

std::optional<SecretText> FirstValue(const std::wstring& wideName) {
  const DWORD needed = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (needed == 0) return std::nullopt;
  std::u16string value(needed, u'\0');
  {
    std::wstring wide(needed, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(wideName.c_str(), wide.data(), needed);
    value.resize(length < needed ? length : 0);
    for (std::size_t i = 0; i < value.size(); ++i) value[i] = static_cast<char16_t>(wide[i]);
    SecureWipe(wide.data(), wide.size() * sizeof(wchar_t));
  }
  // A value with an unpaired surrogate has no UTF-8 form; taken as empty, it is refused as a
  // key or pass phrase without being repeated.
  std::optional<std::string> utf8 = ToUtf8Exact(value);
  SecureWipe(value.data(), value.size() * sizeof(char16_t));
  std::optional<SecretText> text(std::in_place,
                                 utf8 ? std::string_view(*utf8) : std::string_view());
  if (utf8) SecureWipe(utf8->data(), utf8->size());
  return text;
}

// Wipes the value of every entry "NAME=VALUE" of a C runtime environment table.
template <typename Char, typename Compare>
void WipeEntries(Char** table, const Char* name, std::size_t nameLength, Compare compare) {
  for (Char** entry = table; entry != nullptr && *entry != nullptr; ++entry) {
    Char* text = *entry;
    if (compare(text, name, nameLength) != 0 || text[nameLength] != Char('=')) continue;
    std::size_t length = 0;
    while (text[nameLength + 1 + length] != Char('\0')) ++length;
    SecureWipe(text + nameLength + 1, length * sizeof(Char));
  }
}

}  // namespace

std::optional<SecretText> TakeSecretVariable(const char* name) {
  std::wstring wideName;
  for (const char* c = name; *c != '\0'; ++c) wideName += static_cast<wchar_t>(*c);  // ASCII
  std::optional<SecretText> text = FirstValue(wideName);

  WipeEntries(_environ, name, std::strlen(name), _strnicmp);
  WipeEntries(_wenviron, wideName.c_str(), wideName.size(), _wcsnicmp);
  const std::string unset = std::string(name) + "=";
  for (int i = 0; i < kMostEntries && std::getenv(name) != nullptr; ++i) ::_putenv(unset.c_str());
  for (int i = 0; i < kMostEntries && ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0) != 0;
       ++i) {
    ::SetEnvironmentVariableW(wideName.c_str(), nullptr);
  }
  return text;
}

}  // namespace hostseal::cli
