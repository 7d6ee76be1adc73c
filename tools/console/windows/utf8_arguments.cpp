#include "tools/console/windows/utf8_arguments.hpp"

// shellapi.h needs windows.h before it.
#include <windows.h>

#include <shellapi.h>

#include <cwchar>
#include <optional>

#include "hostseal/common/secure_wipe.hpp"
#include "hostseal/common/utf8_codec.hpp"

namespace hostseal::cli {

namespace {

// The array CommandLineToArgvW allocates, wiped and freed when it goes away.
class WideArguments {
 public:
  WideArguments() : m_Argv(::CommandLineToArgvW(::GetCommandLineW(), &m_Count)) {
    if (m_Argv == nullptr) m_Count = 0;
  }
  ~WideArguments() {
    for (int i = 0; i < m_Count; ++i) {
      SecureWipe(m_Argv[i], std::wcslen(m_Argv[i]) * sizeof(wchar_t));
    }
    if (m_Argv != nullptr) ::LocalFree(m_Argv);
  }
  WideArguments(const WideArguments&) = delete;
  WideArguments& operator=(const WideArguments&) = delete;

  int Count() const { return m_Count; }
  std::u16string Argument(int i) const {
    const wchar_t* argument = m_Argv[i];
    std::u16string text(std::wcslen(argument), u'\0');
    for (std::size_t j = 0; j < text.size(); ++j) text[j] = static_cast<char16_t>(argument[j]);
    return text;
  }

 private:
  int m_Count = 0;
  wchar_t** m_Argv;
};

}  // namespace

Utf8Arguments::Utf8Arguments() {
  const WideArguments wide;
  m_Arguments.reserve(static_cast<std::size_t>(wide.Count()));
  for (int i = 0; i < wide.Count(); ++i) {
    std::u16string argument = wide.Argument(i);
    std::optional<std::string> utf8 = ToUtf8Exact(argument);
    SecureWipe(argument.data(), argument.size() * sizeof(char16_t));
    if (!utf8) {
      if (m_Unconvertible == 0 && i > 0) m_Unconvertible = static_cast<std::size_t>(i);
      utf8.emplace();
    }
    // Moved, not copied: the string keeps its one buffer.
    m_Arguments.push_back(std::move(*utf8));
  }
  if (m_Arguments.empty()) m_Arguments.emplace_back("hostseal");
  m_Pointers.reserve(m_Arguments.size() + 1);
  for (std::string& argument : m_Arguments) m_Pointers.push_back(argument.data());
  m_Pointers.push_back(nullptr);
}

Utf8Arguments::~Utf8Arguments() {
  for (std::string& argument : m_Arguments) SecureWipe(argument.data(), argument.capacity());
}

}  // namespace hostseal::cli
