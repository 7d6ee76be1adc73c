// Utf8Arguments: the tool's arguments on Windows, CommandLineToArgvW(GetCommandLineW()), as
// UTF-8 in an argv of the tool's own. The narrow argv that the C runtime hands to main is in
// the ANSI code page, where Chinese becomes "??"; the UTF-16 command line is always right.
//
// The copies are wiped when they go away; SecretArguments wipes the values of --key and
// --passphrase in them as soon as it has taken them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace hostseal::cli {

class Utf8Arguments {
 public:
  Utf8Arguments();
  ~Utf8Arguments();
  Utf8Arguments(const Utf8Arguments&) = delete;
  Utf8Arguments& operator=(const Utf8Arguments&) = delete;

  int Count() const { return static_cast<int>(m_Arguments.size()); }
  char** Argv() { return m_Pointers.data(); }

  // The position (1 for the first after the program name) of the first argument that holds an
  // unpaired surrogate and so has no UTF-8 form, or 0 when all of them are text. Such an
  // argument is empty in Argv().
  std::size_t Unconvertible() const { return m_Unconvertible; }

 private:
  std::vector<std::string> m_Arguments;
  std::vector<char*> m_Pointers;  // into m_Arguments, and a final nullptr
  std::size_t m_Unconvertible = 0;
};

}  // namespace hostseal::cli
