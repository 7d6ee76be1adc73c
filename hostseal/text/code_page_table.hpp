// The code pages that the ANSI code-page layer knows: each Windows code-page number with the
// name of the glibc iconv converter that stands for it (used on Linux only where the library
// holds no Windows table: GB18030), the byte that replaces a character the code page cannot
// hold, and the locale character sets that select it by default.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace hostseal {

inline constexpr std::int32_t kUtf8CodePage = 65001;

// The run-time error number of an unknown code page or a character set without a converter:
// "Invalid procedure call or argument".
inline constexpr std::int32_t kInvalidCallOrArgument = 5;

struct CodePageEntry {
  std::int32_t number;    // the Windows code-page number
  const char* iconvName;  // glibc's converter; used only for a code page without a table
  char defaultCharacter;  // replaces what the code page cannot map
  const char* charsets;   // locale character sets (normalised, space separated) that mean it
};

// The entry of a code-page number, or nullptr when the number is not known.
const CodePageEntry* FindCodePage(std::int32_t number);

// The code page of a locale character set such as "UTF-8", "GB2312" or "ISO-8859-1", or 0 when
// no known code page stands for it. The plain ASCII set of the C locale counts as UTF-8.
std::int32_t CodePageOfCharset(std::string_view charset);

// "437, 850, ..., 65001": the known numbers, for error descriptions.
std::string KnownCodePages();

}  // namespace hostseal
