// Conversions between the library's 16-bit text (UTF-16 in std::u16string) and UTF-8.
//
// Used wherever text meets the outside world as UTF-8: the command line, messages on standard
// error, error descriptions, file names. Neither direction fails: a lone surrogate becomes
// U+FFFD on the way out, and every ill-formed UTF-8 sequence becomes one U+FFFD per maximal
// ill-formed subpart on the way in, so nothing is dropped silently.
#pragma once

#include <string>
#include <string_view>

namespace hostseal {

std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view bytes);

}  // namespace hostseal
