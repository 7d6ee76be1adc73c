// TakeSecretVariable on Windows. The value is read as UTF-16 from the process environment
// (GetEnvironmentVariableW: the C runtime's getenv would give it in the ANSI code page), then
// the C runtime's copy is wiped where getenv points and removed, and the variable removed from
// the process environment.
//
// What stays: the system may keep the removed text in the environment block's memory until
// it is reused, and the environment the process was started with was readable by programs of
// the same user until this point, as /proc/PID/environ is on Linux.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "hostseal/common/secure_wipe.hpp"
#include "tools/hostseal/key_sources.hpp"
#include "tools/hostseal/wide_argument.hpp"

namespace hostseal::cli {

std::optional<SecretText> TakeSecretVariable(const char* name) {
  std::wstring wideName;
  for (const char* c = name; *c != '\0'; ++c) wideName += static_cast<wchar_t>(*c);  // ASCII
  const DWORD needed = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  std::optional<SecretText> text;
  if (needed != 0) {
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
    std::optional<std::string> utf8 = ArgumentToUtf8(value);
    SecureWipe(value.data(), value.size() * sizeof(char16_t));
    text.emplace(utf8 ? std::string_view(*utf8) : std::string_view());
    if (utf8) SecureWipe(utf8->data(), utf8->size());
  }
  if (char* narrow = std::getenv(name); narrow != nullptr) {
    SecureWipe(narrow, std::strlen(narrow));
    ::_putenv((std::string(name) + "=").c_str());
  }
  ::SetEnvironmentVariableW(wideName.c_str(), nullptr);
  return text;
}

}  // namespace hostseal::cli
